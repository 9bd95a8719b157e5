#!/usr/bin/env bash
# One round of queries to 1,000 simulated Quake 3 servers on loopback, at the open pace (past the
# home connection's 2,000 a second while nothing is lost) and at the home pace alone
# (--home-pace); then the same round over links that drop every request beyond a rate, where
# the open pace must answer every server the home pace answers. Usage: bench/fast-round.sh [BUILD]
# (default build-bench, as bench/run.sh builds it).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
DELAY=20-80 # milliseconds before a simulated server answers, as over the internet
PORT=${FAST_PORT:-14000} # below the ports the kernel hands to outgoing sockets, apart from run.sh's
COUNT=1000
RUNS=3
LINK_RATES="3000 1500 1000" # requests a second each modelled link carries

# shellcheck source=bench/common.sh
source "$ROOT/bench/common.sh"
bench_setup fast

field() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n 1; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
verdict() { awk "BEGIN {print (($1) ? \"met\" : \"MISSED\")}"; }

# start_servers [SIM OPTIONS...]: 1,000 servers; their list in $WORK/list.
start_servers() {
    "$BUILD/trevisk-sim" --engine Q3 --port "$PORT" --count "$COUNT" --delay "$DELAY" "$@" >"$WORK/sim.out" \
        2>"$WORK/sim.err" &
    SERVER_PID=$!
    local tries=0
    until [ "$(grep -c $'\t' "$WORK/sim.out" 2>/dev/null || true)" -ge "$COUNT" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 300 ] || ! kill -0 "$SERVER_PID" 2>/dev/null; then
            echo "The simulated servers did not start: $(cat "$WORK/sim.err")" >&2
            exit 1
        fi
        sleep 0.1
    done
    grep $'\t' "$WORK/sim.out" >"$WORK/list"
}

# The simulator's counts since the last call (a line "requests=..." and, with a link, "link_dropped=N").
sim_stats() {
    local before
    before=$(grep -c '^requests=' "$WORK/sim.out" || true)
    kill -USR1 "$SERVER_PID"
    local tries=0
    until [ "$(grep -c '^requests=' "$WORK/sim.out" || true)" -gt "$before" ] || [ $tries -gt 50 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    grep -E '^(requests|link_dropped)=' "$WORK/sim.out" | tail -n 2 | tr '\n' ' '
}

# round [QUERY OPTIONS...]: prints "WALL ANSWERED REQUESTS DROPPED" of one round.
round() {
    /usr/bin/time -f "%e" -o "$WORK/time" "$BUILD/trevisk" query --file "$WORK/list" --json "$@" >"$WORK/out.json" \
        2>/dev/null || true
    local up stats
    up=$(grep -o '"status": *"up"' "$WORK/out.json" | wc -l)
    stats=$(sim_stats)
    echo "$(cat "$WORK/time") $up $(field requests "$stats") $(field link_dropped "$stats")"
}

echo "== Loopback: one round of $COUNT Quake 3 servers (answers delayed $DELAY ms), $RUNS runs each =="
start_servers
for pace in open home; do
    walls=() ups=()
    for _ in $(seq "$RUNS"); do
        if [ $pace = open ]; then read -r wall up requests _ <<<"$(round)"; else read -r wall up requests _ <<<"$(round --home-pace)"; fi
        echo "$pace pace: wall ${wall} s, answered $up/$COUNT, requests seen $requests"
        walls+=("$wall") ups+=("$up")
    done
    declare "WALL_$pace=$(echo "${walls[*]}" | median)" "UP_$pace=$(printf "%s\n" "${ups[@]}" | sort -g | head -n 1)"
done
stop_server

SUMMARY_LINKS=""
LINKS_MET=met
for rate in $LINK_RATES; do
    echo
    echo "== A link that carries $rate requests a second and drops the rest =="
    start_servers --link-rate "$rate"
    read -r hwall hup hreq hdrop <<<"$(round --home-pace)"
    echo "home pace: wall $hwall s, answered $hup/$COUNT, requests $hreq, dropped by the link $hdrop"
    read -r owall oup oreq odrop <<<"$(round)"
    echo "open pace: wall $owall s, answered $oup/$COUNT, requests $oreq, dropped by the link $odrop"
    stop_server
    [ "$oup" -ge "$hup" ] || LINKS_MET=MISSED
    SUMMARY_LINKS+="   $rate/s: open pace answered $oup in $owall s (link dropped $odrop), home pace $hup in $hwall s (dropped $hdrop)"$'\n'
done

cat <<SUMMARY

==================================== Fast round ====================================
Loopback, $COUNT servers, median of $RUNS: open pace $WALL_open s (aim <= 0.4: $(verdict "$WALL_open <= 0.4")), answered at least $UP_open/$COUNT; home pace $WALL_home s, answered at least $UP_home/$COUNT
Lossy links (aim: the open pace answers every server the home pace answers: $LINKS_MET):
${SUMMARY_LINKS}
SUMMARY
