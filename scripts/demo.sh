#!/usr/bin/env bash
# Builds zorvex with nothing but the compiler and CMake, then converts the
# sample files into a temporary directory and shows the result.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

require_packages cmake make g++

cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
cmake --build build/demo --parallel "$(nproc)" > /dev/null

output=$(mktemp -d)
echo "\$ zorvex 'samples/*' $output"
status=0
build/demo/zorvex 'samples/*' "$output" || status=$?
echo "exit status $status"
for file in "$output"/*.b64; do
    echo
    echo "== $(basename "$file"): $(wc -c < "$file") bytes, first lines (CR shown as ^M):"
    head -n 3 "$file" | cat -v
done
