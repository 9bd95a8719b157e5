#!/usr/bin/env bash
# Configures (once) and builds the clang build with AddressSanitizer, UndefinedBehaviorSanitizer
# and the fuzz targets in ./build-sanitize: the test suite and the fuzzers share it.
# Unoptimised with line tables only, and linked by lld: the sanitizers' reports stay exact and the
# build costs far less than the -O2 one.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build-sanitize/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -gline-tables-only" -DCMAKE_EXE_LINKER_FLAGS="-fuse-ld=lld" \
        -DTREVISK_SANITIZE=ON -DTREVISK_FUZZ=ON ${TREVISK_CMAKE_ARGS:-}
fi
cmake --build build-sanitize --parallel "$(nproc)" "$@"
