#!/usr/bin/env bash
# Checks the fleet configuration of docs/fleet with Prometheus' and Alertmanager's own tools:
# the Prometheus configuration, the alerting rules (and their unit tests), the Alertmanager route.
# Exits 77 (a skipped test) when the tools are missing: apt-get install prometheus prometheus-alertmanager.
set -euo pipefail

fleet="${0%/*}/../docs/fleet"
for tool in promtool amtool; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: skipped"
        exit 77
    fi
done
cd "$fleet"
# The configuration names files of the machine it is deployed on (the token): its syntax is checked here.
promtool check config --syntax-only prometheus.yml
promtool check rules rules.yml
promtool test rules rules-test.yml
amtool check-config alertmanager.yml
# docs/fleet.md quotes each file after a line naming it: the quotes are the files.
python3 - <<'PY'
import re, sys
text = open("../fleet.md").read()
for name in ("prometheus.yml", "rules.yml", "alertmanager.yml"):
    quoted = re.search(r"`docs/fleet/%s`:\n\n```yaml\n(.*?)```" % re.escape(name), text, re.S)
    if not quoted or quoted.group(1) != open(name).read():
        sys.exit("docs/fleet.md does not quote docs/fleet/%s as it stands" % name)
print("docs/fleet.md quotes the files as they stand")
PY
