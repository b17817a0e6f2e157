#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kestrav need.
# Quick when everything is already there: only dpkg is asked. Extra packages (for one make
# target only) may be named as arguments.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-webengine-dev qt6-svg-dev qt6-pdf-dev libqt6svg6 libqt6sql6-sqlite
    qt6-qpa-plugins
    libgl-dev xvfb xauth fonts-dejavu-core poppler-utils
    desktop-file-utils appstream
    libglib2.0-dev dbus-daemon
    qt6-webengine-dev-tools hunspell-en-us
    at-spi2-core python3-pyatspi xdotool
    "$@"
)

# One query for all of them; a package dpkg has never heard of is missing too.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
    awk '$NF == "installed" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
    grep -qx "$p" <<<"$installed" || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
