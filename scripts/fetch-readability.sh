#!/usr/bin/env bash
# Fetches the pinned version of Mozilla's Readability from the npm registry, checks the
# tarball against the integrity the registry published for it, and keeps the two scripts the
# reader view runs (and the licence) in third_party/readability/fetched/. Quick when the pinned
# version is already there. Nothing is kept when the check fails.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
dir="$here/third_party/readability"
pin() { sed -n "s/^$1=//p" "$dir/pin.txt"; }
version=$(pin version)
tarball=$(pin tarball)
integrity=$(pin integrity)
target="$dir/fetched"

if [ -f "$target/stamp" ] && [ "$(cat "$target/stamp")" = "$integrity" ]; then
    exit 0
fi

for tool in curl openssl tar base64; do
    command -v "$tool" >/dev/null || { echo "fetch-readability: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Fetching @mozilla/readability $version"
curl --fail --silent --show-error --location --retry 3 --max-time 120 -o "$work/package.tgz" "$tarball"
actual="sha512-$(openssl dgst -sha512 -binary "$work/package.tgz" | base64 -w0)"
if [ "$actual" != "$integrity" ]; then
    echo "fetch-readability: $tarball is not what the registry published" >&2
    echo "  expected $integrity" >&2
    echo "  received $actual" >&2
    exit 1
fi
tar -xzf "$work/package.tgz" -C "$work" package/Readability.js package/Readability-readerable.js \
    package/LICENSE.md package/package.json
grep -q "\"version\": \"$version\"" "$work/package/package.json" || {
    echo "fetch-readability: the tarball is not version $version" >&2
    exit 1
}
rm -rf "$target"
mkdir -p "$target"
cp "$work/package/Readability.js" "$work/package/Readability-readerable.js" \
    "$work/package/LICENSE.md" "$target/"
printf '%s\n' "$version" >"$target/version"
# Last, so that a fetch cut short is fetched again.
printf '%s' "$integrity" >"$target/stamp"
