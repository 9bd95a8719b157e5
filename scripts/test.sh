#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# --sanitize: the same suite built with clang, AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
    shift
    scripts/sanitize-build.sh
    # Any report fails the test; leaks are reported by ASan at exit.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:halt_on_error=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}"
    ctest --test-dir build-sanitize --output-on-failure --timeout 300 --parallel "$(nproc)" "$@"
    exit
fi
scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 120 "$@"
