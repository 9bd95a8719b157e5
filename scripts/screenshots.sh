#!/usr/bin/env bash
# Takes the README's screenshots: the demo's servers under Xvfb with a tray host (trayer), the
# main window, a details window, the tray icons and a pop-up, into docs/.
# With --dark, only the main window and the settings dialog under a dark theme's palette; with
# --german, only those two in German (LANG=de_DE.UTF-8), to check that the texts fit.
set -euo pipefail
cd "$(dirname "$0")/.."
dark() {
    TREVISK_SCREENSHOTS=docs QT_QPA_PLATFORM=xcb "$@" build/tests/test_windows_MainWindow darkScreenshots >/dev/null
    for picture in docs/main-window-dark.png docs/settings-dialog-dark.png; do
        /usr/bin/convert "$picture" -colors 32 "PNG8:$picture"
    done
}
if [ "${1:-}" = "--german" ]; then
    cmake --build build --target test_windows_MainWindow >/dev/null
    env -u LC_ALL LANG=de_DE.UTF-8 TREVISK_SCREENSHOTS=docs QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1280x800x24" build/tests/test_windows_MainWindow germanCaptions >/dev/null
    for picture in docs/main-window-de.png docs/settings-dialog-de.png; do
        /usr/bin/convert "$picture" -colors 32 "PNG8:$picture"
    done
    echo "German screenshots written to docs/."
    exit 0
fi
if [ "${1:-}" = "--dark" ]; then
    cmake --build build --target test_windows_MainWindow >/dev/null
    dark xvfb-run -a -s "-screen 0 1280x800x24"
    echo "Dark screenshots written to docs/."
    exit 0
fi
need=()
for tool in xvfb-run:xvfb trayer:trayer xdotool:xdotool /usr/bin/convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${need[@]}" fonts-dejavu-core
fi
scripts/build.sh >/dev/null

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
export DISPLAY=$display
sleep 1
trayer --edge top --align right --widthtype request --height 28 --transparent false --tint 0x303030 >/dev/null 2>&1 &
sleep 1
build/trevisk --demo >"$work/demo.log" 2>&1 &
sleep 2
import -window root "$work/splash.png"
# The demo's friend logs on at 18 s: his pop-up rests in the corner for three seconds.
sleep 17.5
import -window root "$work/popup.png"
main=$(xdotool search --onlyvisible --name "^Ostravel Trevisk$" | tail -1)
xdotool windowmove "$main" 0 30
sleep 1
# A double-click on the first row opens that server's details window.
xdotool mousemove 300 115 click --repeat 2 --delay 80 1
sleep 2
details=$(xdotool search --onlyvisible --name "^Sim Quake 3 1$" | tail -1)
xdotool windowmove "$details" 760 380
sleep 1
import -window root "$work/screen.png"
# The settings dialog from the Settings menu, then the add-server dialog from the Servers menu.
xdotool mousemove 130 38 click 1
sleep 0.5
xdotool mousemove 180 62 click 1
sleep 1.5
settings=$(xdotool search --onlyvisible --name "^Settings$" | tail -1)
xdotool windowmove "$settings" 0 0
sleep 0.5
import -window "$settings" docs/settings-dialog.png
# Its Cancel button.
xdotool mousemove 773 623 click 1
sleep 0.5
xdotool mousemove 68 38 click 1
sleep 0.5
xdotool mousemove 110 136 click 1
sleep 1.5
add=$(xdotool search --onlyvisible --name "^Add Server$" | tail -1)
xdotool windowmove "$add" 0 0
sleep 0.5
import -window "$add" docs/server-dialog.png
# Its custom alert text, then the about box.
xdotool mousemove 105 329 click 1
sleep 1.5
custom=$(xdotool search --onlyvisible --name "^Custom Email Message$" | tail -1)
xdotool windowmove "$custom" 500 0
sleep 0.5
import -window "$custom" docs/custom-message.png
# Both windows' Cancel buttons.
xdotool mousemove 803 314 click 1
sleep 0.5
xdotool mousemove 440 388 click 1
sleep 0.5
xdotool mousemove 182 38 click 1
sleep 0.5
xdotool mousemove 220 62 click 1
sleep 1.5
about=$(xdotool search --onlyvisible --name "^About Trevisk$" | tail -1)
import -window "$about" docs/about.png
/usr/bin/convert "$work/screen.png" -crop 1180x460+0+30 docs/main-window.png
/usr/bin/convert "$work/screen.png" -crop 360x405+760+380 docs/details-window.png
/usr/bin/convert "$work/popup.png" -crop 400x300+880+500 docs/popup.png
/usr/bin/convert "$work/splash.png" -gravity center -crop 640x400+0+0 docs/splash.png
/usr/bin/convert "$work/screen.png" -crop 240x28+1040+0 -scale 300% docs/tray.png
cp "$work/screen.png" docs/desktop.png
# The remote console and the history windows, with made-up data.
QT_QPA_PLATFORM=xcb build/trevisk-shots docs >/dev/null
dark
echo "Screenshots written to docs/."
