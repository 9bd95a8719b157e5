#!/usr/bin/env bash
# Renders the program's icon (desktop/icons/trevisk.svg) to the PNG sizes that are installed.
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
if ! command -v rsvg-convert >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends librsvg2-bin
fi
for size in 32 48 256; do
    rsvg-convert -w "$size" -h "$size" trevisk.svg -o "trevisk-$size.png"
done
