#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop expects of it.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kestrav share/applications/org.kestrav.Kestrav.desktop \
         share/metainfo/org.kestrav.Kestrav.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.kestrav.Kestrav.svg \
         share/kestrav/qtwebengine_dictionaries/en-US.bdic; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/org.kestrav.Kestrav.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.kestrav.Kestrav.metainfo.xml"
echo "installed and valid"
