#!/usr/bin/env bash
# Installs what the tests need, then builds the optimized and the sanitizer
# presets and runs every test on both.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

require_packages cmake make g++ libgtest-dev coreutils

for preset in release debug; do
    echo "== $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel "$(nproc)"
    ctest --preset "$preset"
done
