#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kestrav need.
# Quick when everything is already there: only dpkg is asked. Extra packages (for one make
# target only) may be named as arguments.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config clang-format
    qt6-base-dev qt6-webengine-dev qt6-declarative-dev qt6-svg-dev qt6-pdf-dev libqt6svg6 libqt6sql6-sqlite libsqlite3-dev
    qt6-qpa-plugins
    libgl-dev xvfb xauth fonts-dejavu-core poppler-utils
    desktop-file-utils appstream
    libglib2.0-dev dbus-daemon
    qtkeychain-qt6-dev qt6-webchannel-dev gnome-keyring libsecret-tools
    qt6-webengine-dev-tools hunspell-en-us qt6-positioning-dev
    zlib1g-dev libbrotli-dev
    # Bookmarks files from other browsers are read with libxml2's HTML parser.
    libxml2-dev
    libpsl-dev libre2-dev publicsuffix webext-ublock-origin-chromium
    # leveldb's CMake package links snappy by name, so its -dev package is needed too.
    libleveldb-dev libsnappy-dev
    at-spi2-core python3-pyatspi xdotool
    # Mozilla's Readability comes from the npm registry (scripts/fetch-readability.sh).
    curl ca-certificates openssl
    "$@"
)

# Another package manager (an automatic update, a software centre) may hold dpkg's locks
# for minutes; wait for it rather than fail. dpkg and apt lock with fcntl(), which
# /proc/locks lists by inode.
lock_wait=${KESTRAV_DPKG_WAIT:-300}
lock_files=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock
    /var/cache/apt/archives/lock)
locked() {
    local file inode
    for file in "${lock_files[@]}"; do
        [ -e "$file" ] || continue
        inode=$(stat -c %i "$file")
        awk -v inode="$inode" '{ split($6, id, ":"); if (id[3] == inode) found = 1 }
            END { exit !found }' /proc/locks 2>/dev/null && return 0
    done
    return 1
}
wait_for_dpkg() {
    local waited=0
    while locked; do
        if [ $waited -ge "$lock_wait" ]; then
            echo "Another package manager still holds dpkg's lock after ${lock_wait} s." >&2
            return 1
        fi
        [ $waited -eq 0 ] && echo "Waiting for another package manager to finish..."
        sleep 5
        waited=$((waited + 5))
    done
}

# One query for all of them; a package dpkg has never heard of is missing too.
missing_packages() {
    local installed p
    installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
        awk '$NF == "installed" { print $1 }' || true)
    for p in "${packages[@]}"; do
        grep -qx "$p" <<<"$installed" || echo "$p"
    done
}

mapfile -t missing < <(missing_packages)
[ ${#missing[@]} -eq 0 ] && exit 0

# What another package manager was installing may be what is missing.
wait_for_dpkg
mapfile -t missing < <(missing_packages)
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# apt waits for the lock itself too, in case another manager takes it in between.
$sudo apt-get -o DPkg::Lock::Timeout="$lock_wait" update
$sudo apt-get -o DPkg::Lock::Timeout="$lock_wait" install -y --no-install-recommends "${missing[@]}"
