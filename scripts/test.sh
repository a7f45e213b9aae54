#!/usr/bin/env bash
# Installs what the tests need; builds the optimized, the sanitizer and the
# clang fuzzing presets and runs every test on each; cross-builds the Windows
# program and runs its tests, and the native build's black-box table, under
# 32-bit Wine; then builds and checks both packages.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

require_packages cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev \
    coreutils gzip dpkg-dev man-db

for preset in release debug fuzz; do
    echo "== $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel "$(nproc)"
    ctest --preset "$preset"
done

echo "== windows"
if ! require_foreign_architecture i386 ||
    ! require_packages g++-mingw-w64-i686-posix wine32:i386 file; then
    echo "error: could not install MinGW-w64 and 32-bit Wine, so the Windows program is not tested" >&2
    exit 1
fi
cmake --preset windows
cmake --build --preset windows --parallel "$(nproc)"
ctest --preset windows

echo "== packages"
bash scripts/check_packages.sh
