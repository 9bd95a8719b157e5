#!/usr/bin/env bash
# The headless monitor watching 100,000 simulated Quake 3 servers (six simulators, each on its own
# loopback address, as one process may not hold that many sockets) at the default 30 s refresh,
# for a first round and five more; then what six hours of history take for as many servers.
# Prints every figure beside its aim. About five minutes; run alone: bench/many-servers.sh [BUILD]
# (default build-bench, as bench/run.sh builds it).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${MANY_COUNT:-100000}
SIMS=6     # each holds a sixth of the sockets, under a file limit of 20,000
PORT=10000 # 10000 + a sixth of the servers stays below the ports the kernel hands out
ROUNDS=6

if [ ! -x "$BUILD/trevisk" ] || [ ! -x "$BUILD/trevisk-bench-history" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTREVISK_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$BUILD" --parallel "$(nproc)" --target trevisk trevisk-sim trevisk-bench-history | tail -n 1
fi
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
WORK=$(mktemp -d /tmp/trevisk-many.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

field() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n 1; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
verdict() { awk "BEGIN {print (($1) ? \"met\" : \"MISSED\")}"; }

echo "== Headless monitor, $COUNT servers, refresh 30 s, $ROUNDS rounds; load before: $(cut -d, -f3- /proc/loadavg | cut -d' ' -f1-3) =="
/usr/bin/python3 "$ROOT/bench/headless.py" --trevisk "$BUILD/trevisk" --sim "$BUILD/trevisk-sim" --work "$WORK/run" \
    --count "$COUNT" --port "$PORT" --sims "$SIMS" --poll 5 --refresh 30 --rounds "$ROUNDS" | tee "$WORK/out"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== Six hours of history for $COUNT servers =="
HISTORY=$("$BUILD/trevisk-bench-history" "$COUNT")
echo "$HISTORY"

H() { field "$1" "$(grep -h "^$1=\|[ ]$1=" "$WORK/out" | tail -n 1)"; }
ANSWERS=$(H answers_per_round) CPU=$(H steady_cpu_percent) RSS=$(H rss_last_round_kib) START=$(H startup_wall_ms)
ROW=$(field bytes_per_row_6h "$HISTORY") HEAP=$(field heap_6h_mib "$HISTORY") HELD=$(field resident_6h_mib "$HISTORY")
# The larger of the heap the rows take and what they hold resident.
HELD=$(calc %.2f "($HELD > $HEAP) ? $HELD : $HEAP")
ROUND_CPUS=$(grep '^round=' "$WORK/out" | grep -o ' cpu_percent=[0-9.]*' | cut -d= -f2 | tr '\n' ' ')
# The run holds a few rounds of history; six hours would add the rest, at what the history's rows hold
# resident (the heap they take and the room lost between their blocks as they grow).
RSS_6H=$(calc %.0f "$RSS / 1024 + $HELD * (1 - $ROUNDS / 720)")
RSS_6H_MB=$(calc %.0f "$RSS_6H * 1.048576")
FULL=$(tr ',' '\n' <<<"$ANSWERS" | awk -v n="$COUNT" '$1 != n {bad = 1} END {print bad ? "MISSED" : "met"}')
cat <<SUMMARY

==================================== $COUNT servers ====================================
Answers per round: $ANSWERS (aim every one: $FULL)
CPU: $CPU % of one core over the rounds after the first (per round: $ROUND_CPUS) (aim < 10: $(verdict "$CPU < 10"))
Resident memory: $(calc %.0f "$RSS / 1024") MiB after $ROUNDS rounds, with six hours of history about $RSS_6H MiB = $RSS_6H_MB MB (aim < 400 MB: $(verdict "$RSS_6H_MB < 400"))
History: $ROW bytes a row, $HEAP MiB of heap for six hours, $HELD MiB resident (aim <= 4 bytes: $(verdict "$ROW <= 4"))
Start-up: $START ms from launch until every query object exists (aim < 2000: $(verdict "$START < 2000"))
SUMMARY
