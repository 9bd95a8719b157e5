#!/usr/bin/env bash
# Finding 10,000 simulated servers through a simulated master: how long until the master's whole
# list is in, how long until every server has answered, the CPU and the peak memory of
# `trevisk find`. Each kind of master is asked once (Half-Life's pages come one a second, as real
# masters allow). Usage: bench/find-masters.sh [BUILD] [COUNT] (default build-bench, 10000).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
COUNT=${2:-10000}
DELAY=20-80 # milliseconds before a simulated server answers, as over the internet
PORT=${FIND_PORT:-17000} # below the ports the kernel hands to outgoing sockets, apart from run.sh's

# shellcheck source=bench/common.sh
source "$ROOT/bench/common.sh"
bench_setup find

# find_round ENGINE: the simulated servers and their master, then one `trevisk find`.
find_round() {
    local engine=$1
    rm -f "$WORK/list" # the last round's list must not pass for this one's
    "$BUILD/trevisk-sim" --engine "$engine" --port "$PORT" --count "$COUNT" --delay "$DELAY" --master "$engine" \
        >"$WORK/list" 2>"$WORK/sim.err" &
    SERVER_PID=$!
    local tries=0
    local lines=0
    until [ "$lines" -gt "$COUNT" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 300 ] || ! kill -0 "$SERVER_PID" 2>/dev/null; then
            echo "The simulated servers did not start: $(cat "$WORK/sim.err")" >&2
            exit 1
        fi
        sleep 0.1
        lines=$(grep -c $'\t' "$WORK/list" 2>/dev/null || true)
        lines=${lines:-0}
    done
    local master game
    master=$(awk -F'\t' '$1 == "master" {print $2}' "$WORK/list")
    game=$(awk -F'\t' '$1 != "master" {print $1; exit}' "$WORK/list")
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" timeout 300 "$BUILD/trevisk" find "$game" --master "$master" \
        --json >"$WORK/found.json" 2>"$WORK/find.err" || true
    stop_server
    read -r wall user sys rss < <(tail -n 1 "$WORK/time")
    local listed listTime up
    listed=$(sed -n 's/.*: \([0-9]*\) servers listed in .*/\1/p' "$WORK/find.err" | head -n 1)
    listTime=$(sed -n 's/.* servers listed in \([0-9.]*\) s.*/\1/p' "$WORK/find.err" | head -n 1)
    up=$(grep -c '"status": "up"' "$WORK/found.json" || true)
    echo "$game: listed ${listed:-0} in ${listTime:-?} s, answered $up/$COUNT, all done in $wall s," \
        "CPU $(calc %.2f "$user + $sys") s (user $user, system $sys), peak memory $(calc %.0f "$rss / 1024") MB"
}

echo
echo "== Finding $COUNT simulated servers through a simulated master (answers delayed $DELAY ms) =="
for engine in Q3 QW Q2 HL; do
    find_round "$engine"
done
echo "(the list time includes the 0.7 s of silence a list waits for after its end mark, or after"
echo " a QuakeWorld or Quake 2 datagram; Half-Life's masters are asked one page, 231 servers, a second)"
