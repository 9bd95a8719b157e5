#!/usr/bin/env bash
# Installs what building, running and testing Trevisk needs, when it is missing (Debian 12 / Ubuntu).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format clang-tidy
    qt6-base-dev qt6-charts-dev qt6-multimedia-dev libqt6opengl6-dev qt6-qpa-plugins
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n # the translation catalogues and Qt's own
    python3 python3-aiosmtpd python3-prometheus-client openssl desktop-file-utils appstream dbus-daemon
    weston qt6-wayland # the desktop-session test runs the program under a headless Wayland compositor
    # the sanitizer build and the fuzz targets (libFuzzer lives in libclang-rt-14-dev)
    clang libclang-rt-14-dev lld-14
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
