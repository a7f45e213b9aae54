#!/usr/bin/env bash
# Builds the Debian package from build/release and the zips from build/windows
# and build/windows64, then shows that each installs and works: the package
# passes dpkg's checks and lintian's and, unpacked, converts the samples and
# shows its man page; each zip holds a stripped program, its README and
# LICENSE, and converts the samples under Wine of its width. Where the host
# can't start 32-bit programs (ZORVEX_TEST_RUNS_32_BIT=no), the 32-bit program
# is checked as a file only. Run by scripts/test.sh after all the builds.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/host.sh

runs_32_bit=$(host_runs_32_bit)
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

# cache_value <build directory> <variable>: the value the build was configured with.
cache_value() {
    local value
    value=$(sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt")
    [ -n "$value" ] || { echo "error: $1 has no $2" >&2; return 1; }
    echo "$value"
}

echo "== Debian package"
rm -rf build/release/packages
(cd build/release && quietly cpack)
deb=$(echo build/release/packages/zorvex_*.deb)
dpkg --dry-run -i "$deb" > /dev/null
# Errors fail the check; lintian's warnings are printed.
lintian --fail-on error "$deb" 2> /dev/null
dpkg-deb -x "$deb" "$work/root"
mkdir "$work/deb-out"
"$work/root/usr/bin/zorvex" 'samples/*' "$work/deb-out" > /dev/null
check_outputs "$work/deb-out"
MANWIDTH=80 man -l "$work/root/usr/share/man/man1/zorvex.1.gz" | grep -q '^SYNOPSIS'
echo "$(basename "$deb"): installs, passes lintian, converts the samples, shows its man page"

# check_zip <build directory> <win32|win64> <whether to run it under Wine>
check_zip() {
    local build=$1 system=$2 run=$3 zip unpacked objdump sections
    rm -rf "$build/packages"
    (cd "$build" && quietly cpack)
    zip=$(echo "$build"/packages/zorvex-*-"$system".zip)
    mkdir "$work/$system"
    (cd "$work/$system" && cmake -E tar xf "$OLDPWD/$zip")
    unpacked=$(echo "$work/$system"/zorvex-*-"$system")
    cmp README.md "$unpacked/README.md"
    cmp LICENSE "$unpacked/LICENSE"
    objdump=$(cache_value "$build" CMAKE_OBJDUMP)
    sections=$("$objdump" -h "$unpacked/zorvex.exe")
    if grep -q '\.debug_' <<< "$sections"; then
        echo "error: $(basename "$zip") holds a zorvex.exe with debug sections" >&2
        return 1
    fi
    if [ "$run" = no ]; then
        file -b "$unpacked/zorvex.exe" | grep -q '^PE32 executable (console) Intel 80386'
        echo "$(basename "$zip"): holds a stripped zorvex.exe, README.md and LICENSE (not run: no 32-bit support)"
        return
    fi
    mkdir "$work/$system-out"
    WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all "$(cache_value "$build" ZORVEX_WINE)" \
        "$unpacked/zorvex.exe" 'samples/*' "$work/$system-out" > /dev/null
    check_outputs "$work/$system-out"
    echo "$(basename "$zip"): holds a stripped zorvex.exe, README.md and LICENSE, converts the samples under Wine"
}

echo "== Windows zips"
check_zip build/windows win32 "$runs_32_bit"
check_zip build/windows64 win64 yes
