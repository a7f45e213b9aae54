#!/usr/bin/env bash
# Whole runs on a 1 GiB file in tmpfs, side by side: the I/O floor (the
# tool's reads and writes, 16 chunks per call, without encoding), the floor
# of one chunk per call, zorvex, `base64 -w 60`, and the Windows programs
# under Wine where they are built. Each runs five times, in turn with the
# others, and its median counts, with the highest peak memory. Prints the
# figures, the ratios and their targets, user CPU per GiB, and zorvex's peak
# memory for a 1 MiB and a 1 GiB file.
#
#   bash bench/whole_run.sh [size in MiB, default 1024]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/host.sh
require_packages cmake make g++ libgtest-dev libbenchmark-dev libsimde-dev time coreutils

size_mib=${1:-1024}
runs=5
cmake --preset release > /dev/null
cmake --build --preset release --parallel "$(nproc)" \
    --target zorvex zorvex_io_floor zorvex_encoder_benchmark > /dev/null

work=$(mktemp -d /dev/shm/zorvex-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
head -c "$((size_mib << 20))" /dev/urandom > "$work/big.bin"
head -c $((1 << 20)) /dev/urandom > "$work/small.bin"
: > "$work/empty.bin"

# The commands measured, by name: each writes its output to the file named
# first, which every run creates anew and which is removed after it, so that
# tmpfs holds only the input between runs.
names=("I/O floor" "floor, 1 chunk/call" "zorvex" "base64 -w 60")
commands=(
    "$work/floor.b64|build/release/bench/zorvex_io_floor $work/big.bin $work/floor.b64"
    "$work/floor1.b64|build/release/bench/zorvex_io_floor --chunk-per-call $work/big.bin $work/floor1.b64"
    "$work/big.b64|build/release/zorvex $work/big.bin"
    "$work/base64.out|sh -c 'base64 -w 60 \"\$0\" > \"\$1\"' $work/big.bin $work/base64.out"
)
# The Windows programs under Wine, where built and where this host can start them.
wine_programs=()
if [ -x /usr/lib/wine/wine64 ] && [ -f build/windows64/zorvex.exe ]; then
    wine_programs+=("zorvex.exe 64-bit|build/windows64|/usr/lib/wine/wine64")
fi
if [ -x /usr/lib/wine/wine ] && [ -f build/windows/zorvex.exe ] && [ "$(host_runs_32_bit)" = yes ]; then
    wine_programs+=("zorvex.exe 32-bit|build/windows|/usr/lib/wine/wine")
fi
for program in ${wine_programs[@]+"${wine_programs[@]}"}; do
    IFS='|' read -r name build wine <<< "$program"
    env="env WINEPREFIX=$PWD/$build/wine-prefix WINEDEBUG=-all"
    names+=("$name" "$name, empty file")
    commands+=("$work/big.b64|$env $wine $build/zorvex.exe $work/big.bin"
               "$work/empty.b64|$env $wine $build/zorvex.exe $work/empty.bin")
    # One run first, so Wine has set up its prefix and started its server.
    $env "$wine" "$build/zorvex.exe" "$work/empty.bin" > /dev/null 2>&1
done

# Appends "seconds user-seconds peak-KiB" of one run of command `index` to its log.
measure() {
    local output=${commands[$1]%%|*} command=${commands[$1]#*|}
    rm -f "$output"
    eval "/usr/bin/time -f '%e %U %M' -o '$work/time' $command" > /dev/null
    rm -f "$output"
    cat "$work/time" >> "$work/log.$1"
}

for _ in $(seq "$runs"); do
    for index in "${!commands[@]}"; do
        measure "$index"
    done
done
for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %U %M' -o "$work/time" build/release/zorvex "$work/small.bin" > /dev/null
    cat "$work/time" >> "$work/log.small"
    rm -f "$work/small.b64"
done

# "median-seconds median-user highest-peak-KiB" of a log.
summary() {
    local middle=$(((runs + 1) / 2))
    echo "$(cut -d' ' -f1 "$1" | sort -n | sed -n "${middle}p")" \
         "$(cut -d' ' -f2 "$1" | sort -n | sed -n "${middle}p")" \
         "$(cut -d' ' -f3 "$1" | sort -n | tail -n 1)"
}

echo "file: $size_mib MiB in tmpfs; $runs runs each, medians"
echo "CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores;" \
     "AVX-512 VBMI: $(grep -qw avx512vbmi /proc/cpuinfo && echo yes || echo no);" \
     "kernel: $(build/release/bench/zorvex_encoder_benchmark --benchmark_filter=none 2>/dev/null |
                sed -n 's/^selected at start-up: //p')"
printf '%-30s %8s %8s %10s\n' "" "seconds" "user s" "peak KiB"
declare -A seconds user
for index in "${!commands[@]}"; do
    read -r s u kb < <(summary "$work/log.$index")
    seconds[$index]=$s
    user[$index]=$u
    printf '%-30s %8s %8s %10s\n' "${names[$index]}" "$s" "$u" "$kb"
done
read -r _ _ small_kb < <(summary "$work/log.small")
read -r _ _ big_kb < <(summary "$work/log.2")
vbmi=$(grep -qw avx512vbmi /proc/cpuinfo && echo 1 || echo 0)
awk -v z="${seconds[2]}" -v f="${seconds[0]}" -v f1="${seconds[1]}" -v b="${seconds[3]}" \
    -v u="${user[2]}" -v m="$size_mib" -v big="$big_kb" -v small="$small_kb" -v vbmi="$vbmi" 'BEGIN {
    printf "zorvex / I/O floor:          %.3fx (target at most %s)\n", z / f, vbmi ? "1.08x" : "1.15x"
    printf "1 chunk/call / I/O floor:    %.3fx\n", f1 / f
    printf "zorvex / base64 -w 60:       %.3fx (target at most 0.25x)\n", z / b
    printf "zorvex user CPU:             %.3f s per GiB%s\n", u / (m / 1024), vbmi ? " (target at most 0.03 s)" : ""
    printf "zorvex peak memory:          %d KiB for 1 MiB, %d KiB for %d MiB (target at most 4 MB)\n", small, big, m
}'
