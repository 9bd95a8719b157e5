#!/usr/bin/env bash
# Builds the .deb (build/trevisk_VERSION_ARCH.deb), shows its control data, and checks it in a
# throwaway root: the files are where a desktop looks, and the unpacked program finds its sounds
# and its window module.
# `scripts/package.sh --install` then also installs it on this machine with dpkg and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! command -v dpkg-shlibdeps >/dev/null 2>&1; then
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends dpkg-dev
fi
scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/trevisk_*.deb | head -1)
dpkg-deb --info "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
for file in usr/bin/trevisk usr/bin/trevisk-sim usr/lib/trevisk/libtrevisk-windows.so \
    usr/share/applications/org.trevisk.Trevisk.desktop usr/share/metainfo/org.trevisk.Trevisk.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/trevisk.svg usr/share/icons/hicolor/48x48/apps/trevisk.png usr/share/man/man1/trevisk.1.gz usr/share/trevisk/sounds/0.wav; do
    [ -e "$root/$file" ] || { echo "Missing from the package: /$file" >&2; exit 1; }
done
paths=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/trevisk" paths --config "$root/t.ini" --data-dir "$root/data")
echo "$paths"
if grep -q missing <<<"$paths"; then
    echo "The unpacked program does not find its sounds." >&2
    exit 1
fi

# The windows come from the module: it prints the data folder once it has started them.
windows=$(QT_QPA_PLATFORM=offscreen timeout -s TERM 5 "$root/usr/bin/trevisk" --config "$root/w.ini" \
    --data-dir "$root/w-data" 2>&1 || true)
if ! grep -q "^Data folder: " <<<"$windows"; then
    echo "The unpacked program does not start its windows: $windows" >&2
    exit 1
fi

if [ "${1:-}" = "--install" ]; then
    # apt resolves the dependencies as on a fresh machine.
    $sudo apt-get install -y -q "./$deb"
    env -u DISPLAY -u WAYLAND_DISPLAY trevisk --version
    paths=$(env -u DISPLAY -u WAYLAND_DISPLAY trevisk paths --config "$root/t.ini" --data-dir "$root/data")
    echo "$paths"
    $sudo dpkg -r trevisk
    if grep -q missing <<<"$paths"; then
        echo "The installed program does not find its sounds." >&2
        exit 1
    fi
fi
echo "Package checked: $deb"
