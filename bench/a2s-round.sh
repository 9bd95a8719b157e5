#!/usr/bin/env bash
# One round of queries to 1,000 simulated Half-Life servers that answer only the A2S queries
# (challenge, replies split and sent last part first), beside the same round to 1,000 Quake 3
# servers, and a refused server: how soon its query ends. Usage: bench/a2s-round.sh [BUILD]
# (default build-bench, as bench/run.sh builds it); qstat's A2S round is measured when installed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
DELAY=20-80 # milliseconds before a simulated server answers, as over the internet
PORT=${A2S_PORT:-16000} # below the ports the kernel hands to outgoing sockets, apart from run.sh's
COUNT=1000
SPLIT=100 # bytes of reply per split part: every players and rules reply comes in parts

# shellcheck source=bench/common.sh
source "$ROOT/bench/common.sh"
bench_setup a2s

# start_servers LISTFILE SIMULATOR-OPTIONS...
start_servers() {
    local list=$1
    shift
    "$BUILD/trevisk-sim" --port "$PORT" --count "$COUNT" --delay "$DELAY" "$@" >"$list" 2>"$WORK/sim.err" &
    SERVER_PID=$!
    local tries=0
    local listed=0
    until [ "$listed" -ge "$COUNT" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 300 ] || ! kill -0 "$SERVER_PID" 2>/dev/null; then
            echo "The simulated servers did not start: $(cat "$WORK/sim.err")" >&2
            exit 1
        fi
        sleep 0.1
        listed=$(grep -c $'\t' "$list" 2>/dev/null || true)
        listed=${listed:-0}
    done
}

# round NAME LISTFILE: one `trevisk query --file --json`, timed.
round() {
    /usr/bin/time -f "%e %U %S" -o "$WORK/time" timeout 120 "$BUILD/trevisk" query --file "$2" --json \
        >"$WORK/$1.json" 2>/dev/null || true
    read -r wall user sys < <(tail -n 1 "$WORK/time")
    local up
    up=$(grep -c '"status": "up"' "$WORK/$1.json" || true)
    echo "$1: wall $wall s, CPU $(calc %.2f "$user + $sys") s (user $user, system $sys), answered $up/$COUNT"
}

echo
echo "== A2S. One round to $COUNT simulated servers (answers delayed $DELAY ms) =="
start_servers "$WORK/q3.list" --engine Q3
Q3=$(round "Quake 3" "$WORK/q3.list")
echo "$Q3"
stop_server

start_servers "$WORK/hl.list" --engine HL --a2s-only --a2s-split "$SPLIT" --a2s-reverse
A2S=$(round "Half-Life, A2S only" "$WORK/hl.list")
echo "$A2S"
echo "   (the old queries' first try must time out, 2 s, before A2S is tried: a round's wall includes it)"
QSTAT=""
if command -v quakestat >/dev/null; then
    cut -f2 "$WORK/hl.list" >"$WORK/qstat.list"
    /usr/bin/time -f "%e %U %S" -o "$WORK/time" timeout 300 quakestat -R -P -default hla2s -f "$WORK/qstat.list" -raw , \
        >"$WORK/qstat.out" 2>/dev/null || true
    read -r wall user sys < <(tail -n 1 "$WORK/time")
    up=$(awk 'BEGIN {RS = ""; FS = "\n"} {split($1, f, ","); if (f[3] != "TIMEOUT" && f[3] != "DOWN" && f[3] != "ERROR") n++} END {print n + 0}' "$WORK/qstat.out")
    QSTAT="qstat -hla2s (told the dialect): wall $wall s, CPU $(calc %.2f "$user + $sys") s, answered $up/$COUNT"
    echo "$QSTAT"
fi
stop_server

echo
echo "== A refused server: the query of a port where nothing listens =="
# The same command against one server that answers at once, then against its port once it is closed:
# the difference is what the refusal costs beyond one round trip.
one_query() {
    local start end
    start=$(date +%s%N)
    "$BUILD/trevisk" query "Quake 3" "127.0.0.1:$PORT" --json >"$WORK/one.json" 2>/dev/null || true
    end=$(date +%s%N)
    calc %.1f "($end - $start) / 1e6"
}
COUNT=1 DELAY=0-0 start_servers "$WORK/one.list" --engine Q3
LIVE_MS=$(one_query)
stop_server
REFUSED_MS=$(one_query)
REFUSED_STATUS=$(sed -n 's/.*"status": "\([a-z_]*\)".*/\1/p' "$WORK/one.json" | head -n 1)
echo "answering server: $LIVE_MS ms for the whole command; refused: status \"$REFUSED_STATUS\" after $REFUSED_MS ms"
echo "(a silent server takes 3 tries x 2 s)"

cat <<SUMMARY

A2S round, $COUNT servers, answers delayed $DELAY ms:
   $Q3
   $A2S
   ${QSTAT:-qstat not installed: no peer figure}
   Refused server: "$REFUSED_STATUS" after $REFUSED_MS ms for the whole command, against $LIVE_MS ms for a server that answers (aim: one round trip, not 6 s of time-outs)
SUMMARY
