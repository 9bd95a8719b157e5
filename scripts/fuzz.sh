#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each (default 60), two at a time on a two-core machine,
# from seeds that the simulated servers, the captured datagrams and this program's own files give.
# The corpus grows in build-sanitize/fuzz/corpus; a crashing input lands in build-sanitize/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh
scripts/sanitize-build.sh --target fuzzers

out=build-sanitize/fuzz
rm -rf "$out/seeds"
"$out/make-fuzz-seeds" "$out/seeds"
# The datagrams captured from real servers.
for file in tests/data/q3/*-reply.bin; do cp "$file" "$out/seeds/answer-q3/capture-$(basename "$file")"; done
for file in tests/data/qw/*-reply.bin; do cp "$file" "$out/seeds/answer-qw/capture-$(basename "$file")"; done
for file in tests/rcon/data/*/reply-*.bin; do
    cp "$file" "$out/seeds/rcon/capture-$(basename "$(dirname "$file")")-$(basename "$file")"
done
mkdir -p "$out/crashes"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
run_one() {
    local name="$1"
    mkdir -p "$out/corpus/$name" "$out/seeds/$name"
    if "$out/fuzz-$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/crashes/$name-" "$out/corpus/$name" "$out/seeds/$name" >"$out/$name.log" 2>&1; then
        echo "fuzz-$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$out/$name.log" | grep -o '[0-9]*$') runs, nothing found"
    else
        echo "fuzz-$name: FAILED (log: $out/$name.log)"
        tail -n 40 "$out/$name.log"
        return 1
    fi
}
export -f run_one
export out seconds
names=$(find "$out" -maxdepth 1 -type f -executable -name 'fuzz-*' -printf '%f\n' | sed 's/^fuzz-//' | sort)
failed=0
printf '%s\n' $names | xargs -P "$(nproc)" -I{} bash -c 'run_one {}' || failed=1
[ "$failed" -eq 0 ] && echo "All fuzz targets ran ${seconds} s each and found nothing."
exit "$failed"
