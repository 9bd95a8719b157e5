#!/usr/bin/env bash
# Installs what is missing, builds the benchmark programs in build-bench and measures Trevisk
# against simulated Quake 3 servers on 127.0.0.1. Every figure is printed with its unit and
# aim; the summary block comes last. Takes about six minutes on two cores once built.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build-bench
DELAY=20-80 # milliseconds before a simulated server answers, as over the internet
PORT=20000  # simulated servers stay below the ports the kernel hands to outgoing sockets
RUNS=3

# --- what the benchmarks need ------------------------------------------------------------------
"$ROOT/scripts/setup.sh"
missing=()
for package in qstat time python3; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
PYTHON=/usr/bin/python3 # Debian's own interpreter, whatever comes first on PATH

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTREVISK_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)" | tail -n 1

WORK=$(mktemp -d /tmp/trevisk-bench.XXXXXX)
SERVER_PID=""
stop_server() {
    if [ -n "$SERVER_PID" ]; then
        kill -TERM "$SERVER_PID" 2>/dev/null || true
        wait "$SERVER_PID" 2>/dev/null || true
        SERVER_PID=""
    fi
}
cleanup() {
    stop_server
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

# Starts simulated servers in the background: start_servers PROGRAM COUNT LISTFILE.
start_servers() {
    local program=$1 count=$2 list=$3
    "$program" --engine Q3 --port "$PORT" --count "$count" --delay "$DELAY" >"$list" 2>"$WORK/server.err" &
    SERVER_PID=$!
    local tries=0
    local listed=0
    until [ "$listed" -ge "$count" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 300 ] || ! kill -0 "$SERVER_PID" 2>/dev/null; then
            echo "The simulated servers did not start: $(cat "$WORK/server.err")" >&2
            exit 1
        fi
        sleep 0.1
        listed=$(grep -c $'\t' "$list" 2>/dev/null || true)
        listed=${listed:-0}
    done
}

# The arrival counts the bench host printed since the last call: host_stats LISTFILE.
host_stats() {
    local list=$1 before
    before=$(grep -c '^requests=' "$list" || true)
    kill -USR1 "$SERVER_PID"
    local tries=0
    until [ "$(grep -c '^requests=' "$list" || true)" -gt "$before" ]; do
        tries=$((tries + 1))
        [ $tries -gt 100 ] && { echo "requests=?"; return; }
        sleep 0.05
    done
    grep '^requests=' "$list" | tail -n 1
}

field() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n 1; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
maximum() { tr ' ' '\n' | grep -v '^$' | sort -g | tail -n 1; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
verdict() { awk "BEGIN {print (($1) ? \"met\" : \"MISSED\")}"; }

# --- 1: one round of queries, Trevisk against qstat ------------------------------------------------
# Datagrams the kernel dropped for a full receive buffer, on the whole machine.
udp_drops() { awk '/^Udp:/ {if (!h) {for (i = 1; i <= NF; i++) c[$i] = i; h = 1} else print $c["RcvbufErrors"]}' /proc/net/snmp; }
echo
echo "== 1. One round of queries to 1,000 simulated Quake 3 servers (answers delayed $DELAY ms) =="
echo "Both tools query the same trevisk-sim servers; qstat asks getinfo before getstatus."
LIST1=$WORK/list1.txt
start_servers "$BUILD/trevisk-sim" 1000 "$LIST1"
grep $'\t' "$LIST1" >"$WORK/trevisk.list"
cut -f2 "$WORK/trevisk.list" >"$WORK/qstat.list"
t_wall=() t_cpu=() t_up=() t_mem=() t_req=() t_drop=() q_wall=() q_cpu=() q_up=() q_mem=()
t_peak10=() q_peak10=() t_peak1s=() q_peak1s=()
host_stats "$LIST1" >/dev/null
for run in $(seq 1 $RUNS); do
    drops=$(udp_drops)
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" timeout 120 "$BUILD/trevisk" query --file "$WORK/trevisk.list" --json \
        >"$WORK/trevisk.json" 2>/dev/null || true
    read -r wall user sys mem < <(tail -n 1 "$WORK/time")
    stats=$(host_stats "$LIST1")
    up=$(grep -c '"status": "up"' "$WORK/trevisk.json" || true)
    t_wall+=("$wall") t_cpu+=("$(calc %.2f "$user + $sys")") t_up+=("$up") t_mem+=("$(calc %.1f "$mem / 1024")")
    t_req+=("$(field getstatus "$stats")") t_drop+=("$(($(udp_drops) - drops))")
    t_peak10+=("$(field peak_10ms "$stats")") t_peak1s+=("$(field peak_1s "$stats")")
    ANSWER_BYTES=$(calc %.0f "$(field answer_bytes "$stats") / $(field answered "$stats")")
    echo "Trevisk run $run: wall $wall s, CPU $(calc %.2f "$user + $sys") s (user $user, system $sys), peak $(calc %.1f "$mem / 1024") MB," \
        "answered $up/1000, dropped by the kernel ${t_drop[-1]}; server saw: $stats"

    /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" timeout 300 quakestat -R -P -default q3s -raw , -f "$WORK/qstat.list" \
        >"$WORK/qstat.out" 2>/dev/null || true
    read -r wall user sys mem < <(tail -n 1 "$WORK/time")
    stats=$(host_stats "$LIST1")
    # Raw output: one block per server, its first line "Q3S,address,name,..." or "Q3S,address,TIMEOUT".
    up=$(awk 'BEGIN {RS = ""; FS = "\n"} {split($1, f, ","); if (f[3] != "TIMEOUT" && f[3] != "DOWN" && f[3] != "ERROR" && f[3] != "HOSTNOTFOUND") n++} END {print n + 0}' "$WORK/qstat.out")
    q_wall+=("$wall") q_cpu+=("$(calc %.2f "$user + $sys")") q_up+=("$up") q_mem+=("$(calc %.1f "$mem / 1024")")
    q_peak10+=("$(field peak_10ms "$stats")") q_peak1s+=("$(field peak_1s "$stats")")
    echo "qstat   run $run: wall $wall s, CPU $(calc %.2f "$user + $sys") s (user $user, system $sys), peak $(calc %.1f "$mem / 1024") MB," \
        "answered $up/1000; server saw: $stats"
done
stop_server
T_WALL=$(echo "${t_wall[@]}" | median) T_CPU=$(echo "${t_cpu[@]}" | median) T_UP=$(echo "${t_up[@]}" | median)
T_MEM=$(echo "${t_mem[@]}" | median) T_REQ=$(echo "${t_req[@]}" | maximum) T_DROP=$(echo "${t_drop[@]}" | maximum)
T_UP_MIN=$(echo "${t_up[@]}" | tr ' ' '\n' | sort -g | head -n 1)
Q_WALL=$(echo "${q_wall[@]}" | median) Q_CPU=$(echo "${q_cpu[@]}" | median) Q_UP=$(echo "${q_up[@]}" | median)
Q_MEM=$(echo "${q_mem[@]}" | median)
T_PEAK10=$(echo "${t_peak10[@]}" | maximum) T_PEAK1S=$(echo "${t_peak1s[@]}" | maximum)
Q_PEAK10=$(echo "${q_peak10[@]}" | maximum) Q_PEAK1S=$(echo "${q_peak1s[@]}" | maximum)
# Download rate of answers with their UDP and IP headers.
MBIT_PEAK=$(calc %.1f "$T_PEAK1S * ($ANSWER_BYTES + 28) * 8 / 1e6")
MBIT_500=$(calc %.1f "500 * ($ANSWER_BYTES + 28) * 8 / 1e6")
CPU_RATIO=$(calc %.2f "$T_CPU / $Q_CPU")

# --- 2: idle query objects -----------------------------------------------------------------------
echo
echo "== 2. 10,000 query objects between rounds (one round, its time-outs settled, then 10 s in which nothing is due) =="
start_servers "$BUILD/trevisk-sim" 10000 "$WORK/list2.txt"
IDLE=$(timeout 120 "$BUILD/trevisk-bench-idle" --port "$PORT" --count 10000 --settle 3 --idle 10 --refresh 60 || true)
stop_server
echo "$IDLE"
IDLE_CPU=$(field idle_cpu_ms "$IDLE") IDLE_SHARE=$(field idle_cpu_share_percent "$IDLE")
IDLE_TIMERS=$(field idle_timer_events "$IDLE") IDLE_WAKE=$(field idle_wakeups "$IDLE")
IDLE_DEADLINES=$(field scheduled_deadlines "$IDLE") IDLE_SOCKETS=$(field sockets "$IDLE")
IDLE_ANSWERED=$(field answered "$IDLE")

# --- 5 first: the cost of a history row, which figure 3 uses ---------------------------------------
echo
echo "== 5. History: bytes per row and six hours of history =="
HISTORY=$("$BUILD/trevisk-bench-history")
echo "$HISTORY"
ROW_BYTES=$(field bytes_per_row "$(grep '^point_sizeof' <<<"$HISTORY")")
H1K=$(field heap_6h_mib "$(grep '^servers=1000 ' <<<"$HISTORY")")
H10K=$(field heap_6h_mib "$(grep '^servers=10000 ' <<<"$HISTORY")")
H10K_LATER=$(field heap_6h30m_mib "$(grep '^servers=10000 ' <<<"$HISTORY")")

# --- 3 and 4: headless monitor -------------------------------------------------------------------
headless() {
    local count=$1 rounds=$2
    echo
    echo "== 3. Headless monitor, $count servers, refresh 30 s, $rounds rounds (answers delayed $DELAY ms) =="
    timeout 400 "$PYTHON" "$ROOT/bench/headless.py" --trevisk "$BUILD/trevisk" --sim "$BUILD/trevisk-sim" \
        --work "$WORK/headless$count" --count "$count" --port "$PORT" --delay "$DELAY" --refresh 30 \
        --rounds "$rounds" | tee "$WORK/headless$count.out" || true
}
headless 1000 3
headless 10000 6
H() { field "$2" "$(grep -h "^$2=\|[ ]$2=" "$WORK/headless$1.out" | tail -n 1)"; }
for n in 1000 10000; do
    declare "CPU_$n=$(H $n steady_cpu_percent)" "SIMCPU_$n=$(H $n sim_cpu_percent)"
    declare "ANS_$n=$(H $n answers_per_round)" "RSS_$n=$(H $n rss_last_round_kib)"
    declare "GROW_$n=$(H $n rss_growth_per_round_kib)" "START_$n=$(H $n startup_wall_ms)"
    declare "LOADED_$n=$(H $n startup_list_loaded_ms)" "FIRST_$n=$(H $n first_round_all_answered_s)"
    declare "WARM_$n=$(H $n warm_up_rounds)" "STEP_$n=$(H $n rss_warm_up_kib)"
done
all_answered() { tr ',' '\n' <<<"$1" | awk -v n="$2" '$1 != n {bad = 1} END {print bad ? "MISSED" : "met"}'; }
HISTORY_KIB_PER_ROUND=$(calc %.0f "10000 * $ROW_BYTES / 1024")
FIRST_RATE=$(calc %.0f "10000 / $FIRST_10000")
# Rows of history each run held at its last table: one a server a round.
PER_SERVER_KIB=$(calc %.1f "(($RSS_10000 - 6 * 10000 * $ROW_BYTES / 1024) - ($RSS_1000 - 3 * 1000 * $ROW_BYTES / 1024)) / 9000")

"$ROOT/bench/a2s-round.sh" "$BUILD" # the A2S round beside the Quake 3 one, and a refused server
"$ROOT/bench/fast-round.sh" "$BUILD" # the open pace on loopback and over links that drop

# --- summary ---------------------------------------------------------------------------------------
cat <<EOF

==================================== Summary ====================================
1. One round, 1,000 Quake 3 servers, answers delayed $DELAY ms, median of $RUNS runs, both tools against the same trevisk-sim:
   Trevisk query --file --json: wall $T_WALL s (aim <= 1.0: $(verdict "$T_WALL <= 1.0")), CPU $T_CPU s (aim <= qstat's $Q_CPU: $(verdict "$T_CPU <= $Q_CPU"); stretch < half: $(verdict "$T_CPU < $Q_CPU / 2")), peak $T_MEM MB (aim <= 20: $(verdict "$T_MEM <= 20")), answered $T_UP/1000 (aim every one in every run: $(verdict "$T_UP_MIN == 1000"))
   qstat -R -P (defaults: -maxsim 20, -sendinterval 5 ms, -retry 3, -interval 0.5 s): wall $Q_WALL s, CPU $Q_CPU s, peak $Q_MEM MB, answered $Q_UP/1000
   Ratio Trevisk/qstat: CPU $CPU_RATIO
   Pacing: Trevisk starts at 500 queries/s and raises the rate while answers come back in time, halving it at a loss, at most 2,000/s and 25 Mbit/s of answers;
     requests seen per 10 ms at most $T_PEAK10, per second at most $T_PEAK1S, $MBIT_PEAK Mbit/s of $ANSWER_BYTES-byte answers (qstat: $Q_PEAK10 and $Q_PEAK1S)
   Nothing lost: getstatus requests the servers saw per run at most $T_REQ for 1,000 servers (a retry would show as more; aim 1000: $(verdict "$T_REQ == 1000")), datagrams the kernel dropped during a run at most $T_DROP (whole machine; aim 0: $(verdict "$T_DROP == 0"))
2. 10,000 idle query objects over 10 s: CPU $IDLE_CPU ms ($IDLE_SHARE % of one core; aim: nothing measurable, < 0.1 %: $(verdict "$IDLE_SHARE < 0.1")), timer events $IDLE_TIMERS, wake-ups $IDLE_WAKE
   Deadlines held: $IDLE_DEADLINES in one heap behind one timer; sockets: $IDLE_SOCKETS; first round answered $IDLE_ANSWERED/10000
3. Headless, refresh 30 s (monitor only; the simulator's own CPU apart):
   1,000 servers: CPU $CPU_1000 % of one core (aim < 0.5 %: $(verdict "$CPU_1000 < 0.5")), simulator $SIMCPU_1000 %; answers per round $ANS_1000 ($(all_answered "$ANS_1000" 1000)); RSS $RSS_1000 KiB, growth $GROW_1000 KiB/round
   10,000 servers: CPU $CPU_10000 % of one core (aim < 3 %: $(verdict "$CPU_10000 < 3")), simulator $SIMCPU_10000 %; answers per round $ANS_10000 (aim every one: $(all_answered "$ANS_10000" 10000))
   10,000 servers: RSS $RSS_10000 KiB; memory a server beyond the history, from 1,000 to 10,000 servers: $PER_SERVER_KIB KiB (aim <= 8: $(verdict "$PER_SERVER_KIB <= 8"))
   10,000 servers: growth $GROW_10000 KiB/round after the first $WARM_10000 rounds (which took $STEP_10000 KiB once), history alone $HISTORY_KIB_PER_ROUND KiB/round (aim no more than the history, 64 KiB of slack: $(verdict "$GROW_10000 <= $HISTORY_KIB_PER_ROUND + 64"))
   One history row: $ROW_BYTES bytes
4. Start-up, 10,000 servers: $START_10000 ms from launch to the list loaded and every query object made (aim < 500 ms: $(verdict "$START_10000 < 500")); the program's own count: $LOADED_10000 ms
   First round paced by the path (from 500/s, at most 2,000/s): every server answered after $FIRST_10000 s, about $FIRST_RATE answers/s (aim: within the first 30 s: $(verdict "$FIRST_10000 < 30"))
   1,000 servers: $START_1000 ms to start, every server answered after $FIRST_1000 s
5. History row: $ROW_BYTES bytes (aim <= 4: $(verdict "$ROW_BYTES <= 4")); six hours at 30 s refresh: $H1K MiB for 1,000 servers, $H10K MiB for 10,000 (after 6.5 h: $H10K_LATER MiB)
EOF
