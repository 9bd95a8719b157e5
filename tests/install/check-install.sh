#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the programs from there: the files lie
# where a desktop looks, the menu entry and metainfo pass the desktop's own checkers, the
# installed program finds its installed sounds (and the build's program the copies beside it),
# the installed trevisk queries the installed simulator and starts its windows from the installed
# module, and the program itself links no GUI library.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
sim=""
gui=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; [ -n "$gui" ] && kill "$gui" 2>/dev/null; rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
for file in bin/trevisk bin/trevisk-sim lib/trevisk/libtrevisk-windows.so share/trevisk/sounds/5.wav share/man/man1/trevisk.1.gz \
    share/applications/org.trevisk.Trevisk.desktop share/metainfo/org.trevisk.Trevisk.metainfo.xml \
    share/icons/hicolor/scalable/apps/trevisk.svg share/icons/hicolor/32x32/apps/trevisk.png \
    share/icons/hicolor/48x48/apps/trevisk.png share/icons/hicolor/256x256/apps/trevisk.png; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
gzip -t "$share/man/man1/trevisk.1.gz" || fail "man page"

command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (scripts/setup.sh installs it)"
desktop-file-validate "$share/applications/org.trevisk.Trevisk.desktop" || fail "desktop entry"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$share/metainfo/org.trevisk.Trevisk.metainfo.xml" >/dev/null \
        || fail "metainfo: $(appstreamcli validate --no-net "$share/metainfo/org.trevisk.Trevisk.metainfo.xml")"
fi

for program in "$prefix/bin/trevisk" "$build/trevisk"; do
    paths=$("$program" paths --config "$prefix/t.ini" --data-dir "$prefix/data") || fail "$program paths: $paths"
    ! grep -q missing <<<"$paths" || fail "$program does not find its sounds: $paths"
done
paths=$("$prefix/bin/trevisk" paths --config "$prefix/t.ini") || fail "paths: $paths"
grep -qF "Sound 0:   $share/trevisk/sounds/0.wav" <<<"$paths" || fail "the installed program does not use the installed sounds"

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The simulator lists its servers once their sockets are bound: a query sent before would be refused.
mkfifo "$prefix/sim.out"
"$prefix/bin/trevisk-sim" --engine Q3 --port "$port" >"$prefix/sim.out" &
sim=$!
exec 4<"$prefix/sim.out"
IFS= read -r -t 20 listed <&4 || fail "the installed simulator did not start"
answer=$("$prefix/bin/trevisk" query "Quake 3" "127.0.0.1:$port" --json) || true
grep -q '"status": *"up"' <<<"$answer" || fail "no answer from the installed simulator ($listed): $answer"

# The command line and the headless monitor load no GUI library; the windows come from the module.
! ldd "$prefix/bin/trevisk" | grep -E 'libQt6(Gui|Widgets|Charts|Multimedia|DBus)' \
    || fail "the program links GUI libraries"
mkfifo "$prefix/gui.out"
QT_QPA_PLATFORM=offscreen "$prefix/bin/trevisk" --data-dir "$prefix/gui-data" --config "$prefix/gui.ini" \
    >"$prefix/gui.out" 2>"$prefix/gui.err" &
gui=$!
exec 3<"$prefix/gui.out"
started=""
while IFS= read -r -t 20 line <&3; do
    [[ $line == "Data folder: "* ]] && { started=1; break; }
done
[ -n "$started" ] && grep -qF "$prefix/lib/trevisk/libtrevisk-windows.so" "/proc/$gui/maps" \
    || fail "the installed program did not start its windows: $(cat "$prefix/gui.err")"
kill -TERM "$gui"
wait "$gui" || true
gui=""
exec 3<&- 4<&-
echo "Installed and started from $prefix"
