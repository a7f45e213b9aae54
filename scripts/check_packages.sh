#!/usr/bin/env bash
# Builds the Debian package from build/release and the zip from build/windows,
# then shows that each installs and works: the package passes dpkg's checks
# and, unpacked, converts the samples and shows its man page; the zip,
# unpacked, converts the samples under Wine. Run by scripts/test.sh after both
# builds.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The samples' Base64 from the native build, for comparison.
build/release/zorvex 'samples/*' "$work" > /dev/null
mkdir "$work/expected" && mv "$work"/*.b64 "$work/expected/"

quietly() {
    "$@" > "$work/log" 2>&1 || { cat "$work/log" >&2; return 1; }
}

check_outputs() {
    for expected in "$work"/expected/*.b64; do
        cmp "$expected" "$1/$(basename "$expected")"
    done
}

echo "== Debian package"
rm -rf build/release/packages
(cd build/release && quietly cpack)
deb=$(echo build/release/packages/zorvex_*.deb)
dpkg --dry-run -i "$deb" > /dev/null
dpkg-deb -x "$deb" "$work/root"
mkdir "$work/deb-out"
"$work/root/usr/bin/zorvex" 'samples/*' "$work/deb-out" > /dev/null
check_outputs "$work/deb-out"
MANWIDTH=80 man -l "$work/root/usr/share/man/man1/zorvex.1.gz" | grep -q '^SYNOPSIS'
echo "$(basename "$deb"): installs, converts the samples, shows its man page"

echo "== Windows zip"
rm -rf build/windows/packages
(cd build/windows && quietly cpack)
zip=$(echo build/windows/packages/zorvex-*-win32.zip)
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$OLDPWD/$zip")
cmp README.md "$work"/zip/zorvex-*-win32/README.md
mkdir "$work/zip-out"
WINEPREFIX="$PWD/build/windows/wine-prefix" WINEDEBUG=-all \
    "$(cmake -L -N build/windows | sed -n 's/^ZORVEX_WINE:FILEPATH=//p')" \
    "$work"/zip/zorvex-*-win32/zorvex.exe 'samples/*' "$work/zip-out" > /dev/null
check_outputs "$work/zip-out"
echo "$(basename "$zip"): holds zorvex.exe and README.md, converts the samples under Wine"
