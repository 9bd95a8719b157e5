#!/usr/bin/env bash
# A fleet of two Trevisk shards scraped by a real Prometheus (Debian's package), all on 127.0.0.1:
# simulated servers, one list, two headless monitors (--shard 1/2 and 2/2), and a Prometheus with
# docs/fleet's scrape settings and rules. Waits for the scrapes and prints the series Prometheus holds.
# Usage: scripts/fleet-prometheus.sh [BUILD_DIR]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
for tool in prometheus curl python3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install prometheus curl python3)" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Waits up to $1 seconds for the command that follows to succeed.
wait_for() {
    local seconds="$1"
    shift
    for _ in $(seq $((seconds * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    echo "Timed out waiting for: $*" >&2
    return 1
}

# Two servers of every engine.
"$build/trevisk-sim" --all --count 2 --port 0 >"$work/sim.txt" &
pids+=($!)
listed() { [ "$(wc -l <"$work/sim.txt")" -ge 18 ]; }
wait_for 10 listed
echo "Simulated servers: $(wc -l <"$work/sim.txt")"

export -n DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
declare -a ports
for k in 1 2; do
    data="$work/monitor-$k"
    mkdir -p "$data"
    # The same list on both monitors, as a fleet deploys it.
    while IFS=$'\t' read -r game address; do
        "$build/trevisk" servers add "$game" "$address" --data-dir "$data" --config "$data/t.ini" >/dev/null
    done <"$work/sim.txt"
    printf '[Settings]\nRefresh=5\n' >"$data/t.ini"
    "$build/trevisk" --headless --data-dir "$data" --config "$data/t.ini" \
        --shard "$k/2" --instance "monitor-$k" --listen 127.0.0.1:0 >"$data/out.txt" 2>&1 &
    pids+=($!)
    wait_for 20 grep -q "Serving the status on" "$data/out.txt"
    grep -E "^Shard|^Serving" "$data/out.txt"
    ports[$k]="$(sed -n 's|.*http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$data/out.txt")"
done

# docs/fleet/prometheus.yml, pointed at the two local monitors and scraping faster.
cp "$root/docs/fleet/rules.yml" "$work/rules.yml"
cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 2s
  evaluation_interval: 2s
rule_files:
  - rules.yml
scrape_configs:
  - job_name: trevisk
    honor_labels: true
    static_configs:
      - targets: ["127.0.0.1:${ports[1]}"]
        labels: {shard: "1/2", instance: "monitor-1"}
      - targets: ["127.0.0.1:${ports[2]}"]
        labels: {shard: "2/2", instance: "monitor-2"}
YAML
web="$(free_port)"
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$web" >"$work/prometheus.log" 2>&1 &
pids+=($!)
echo "$(prometheus --version 2>&1 | head -1), on 127.0.0.1:$web"

query() {
    curl -sf --get "http://127.0.0.1:$web/api/v1/query" --data-urlencode "query=$1"
}
# Both shards scraped, and every simulated server up in one of them.
scraped() {
    query 'count(up{job="trevisk"} == 1) == 2' | grep -q '"result":\[{' &&
        query "count(trevisk_server_up == 1) == $(wc -l <"$work/sim.txt")" | grep -q '"result":\[{'
}
wait_for 60 scraped

show() {
    echo
    echo "$1"
    query "$1" | python3 -c '
import json, sys
results = json.load(sys.stdin)["data"]["result"]
if not results:
    print("  (none)")
for r in sorted(results, key=lambda r: sorted(r["metric"].items())):
    labels = ",".join("%s=\"%s\"" % (k, v) for k, v in sorted(r["metric"].items()) if k != "__name__")
    print("  %s{%s} %s" % (r["metric"].get("__name__", ""), labels, r["value"][1]))
'
}
show 'up{job="trevisk"}'
show 'trevisk_servers'
show 'trevisk_server_up'
show 'count by (shard, instance) (trevisk_server_state{state="up"} == 1)'
# A server watched by both shards would show here.
show 'count by (address) (trevisk_server_up) > 1'
echo
echo "Rules loaded: $(curl -sf "http://127.0.0.1:$web/api/v1/rules" | python3 -c '
import json, sys
print(", ".join(r["name"] + " (" + r["health"] + ")" for g in json.load(sys.stdin)["data"]["groups"] for r in g["rules"]))')"
