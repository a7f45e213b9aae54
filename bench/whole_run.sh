#!/usr/bin/env bash
# Whole runs on a 1 GiB file in tmpfs, side by side: zorvex, the I/O floor
# (the same reads and writes without encoding) and `base64 -w 60`. Each is run
# three times and its fastest run counts, with the highest peak memory. Prints
# the figures and the ratios, zorvex's user CPU per GiB, and its peak memory
# for a 1 MiB and a 1 GiB file.
#
#   bash bench/whole_run.sh [size in MiB, default 1024]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
require_packages cmake make g++ libgtest-dev libbenchmark-dev time coreutils

size_mib=${1:-1024}
cmake --preset release > /dev/null
cmake --build --preset release --parallel "$(nproc)" \
    --target zorvex zorvex_io_floor zorvex_encoder_benchmark > /dev/null

work=$(mktemp -d /dev/shm/zorvex-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
head -c "$((size_mib << 20))" /dev/urandom > "$work/big.bin"
head -c $((1 << 20)) /dev/urandom > "$work/small.bin"

# Seconds elapsed, user seconds and peak resident kilobytes of one run, with
# the output removed first so every run creates it anew.
measure() {
    local output=$1
    shift
    rm -f "$output"
    /usr/bin/time -f '%e %U %M' -o "$work/time" "$@" > /dev/null
    cat "$work/time"
}

# The fastest of three runs, with the highest peak memory of the three: a
# run's peak varies by a few hundred KiB with where the loader maps things.
best_of_three() {
    local output=$1
    shift
    for _ in 1 2 3; do
        measure "$output" "$@"
    done | sort -n | awk 'NR == 1 { s = $1; u = $2 } $3 > kb { kb = $3 } END { print s, u, kb }'
}

read -r floor_s floor_user floor_kb < <(best_of_three "$work/floor.b64" \
    build/release/bench/zorvex_io_floor "$work/big.bin" "$work/floor.b64")
read -r zorvex_s zorvex_user zorvex_kb < <(best_of_three "$work/big.b64" \
    build/release/zorvex "$work/big.bin")
read -r base64_s base64_user base64_kb < <(best_of_three "$work/base64.out" \
    sh -c 'base64 -w 60 "$0" > "$1"' "$work/big.bin" "$work/base64.out")
read -r _ _ small_kb < <(best_of_three "$work/small.b64" build/release/zorvex "$work/small.bin")
rm -f "$work"/*.b64 "$work/base64.out"

echo "file: $size_mib MiB in tmpfs; kernel: $(build/release/bench/zorvex_encoder_benchmark \
    --benchmark_filter=none 2>/dev/null | sed -n 's/^selected at start-up: //p')"
echo "CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores"
printf '%-22s %8s %8s %10s\n' "" "seconds" "user s" "peak KiB"
printf '%-22s %8s %8s %10s\n' "I/O floor" "$floor_s" "$floor_user" "$floor_kb"
printf '%-22s %8s %8s %10s\n' "zorvex" "$zorvex_s" "$zorvex_user" "$zorvex_kb"
printf '%-22s %8s %8s %10s\n' "base64 -w 60" "$base64_s" "$base64_user" "$base64_kb"
awk -v z="$zorvex_s" -v f="$floor_s" -v b="$base64_s" -v u="$zorvex_user" -v m="$size_mib" \
    -v big="$zorvex_kb" -v small="$small_kb" 'BEGIN {
    printf "zorvex / I/O floor:     %.3fx (target at most 1.10x)\n", z / f
    printf "zorvex / base64 -w 60:  %.3fx (target at most 0.40x)\n", z / b
    printf "zorvex user CPU:        %.3f s per GiB (target under 0.05 s)\n", u / (m / 1024)
    printf "zorvex peak memory:     %d KiB for 1 MiB, %d KiB for %d MiB\n", small, big, m
}'
