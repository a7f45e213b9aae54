#!/usr/bin/env bash
# Installs what the tests need; builds the optimized, the sanitizer and the
# clang fuzzing presets and runs every test on each; cross-builds the 32-bit
# and the 64-bit Windows programs and runs their tests, and the native build's
# black-box table, under Wine; then builds and checks the packages.
#
# Where the host cannot start 32-bit programs, the 32-bit Windows program is
# built and checked as a file but its tests are not run, and one line says so.
# ZORVEX_TEST_RUNS_32_BIT=no takes that branch on a host that could.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
. scripts/host.sh

require_packages cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev \
    libsimde-dev coreutils gzip dpkg-dev man-db lintian file openssl python3

for preset in release debug fuzz; do
    echo "== $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel "$(nproc)"
    ctest --preset "$preset"
done

if ! require_foreign_architecture i386 ||
    ! require_packages g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine32:i386 wine64; then
    echo "error: could not install MinGW-w64 and Wine, so the Windows programs are not tested" >&2
    exit 1
fi
runs_32_bit=$(host_runs_32_bit)
export ZORVEX_TEST_RUNS_32_BIT=$runs_32_bit

# Builds a Windows preset and runs its tests: all of them under Wine, or with
# wine_tests OFF only the checks of the program file.
windows_suite() {
    local preset=$1 wine_tests=$2
    cmake --preset "$preset" -DZORVEX_WINE_TESTS="$wine_tests"
    cmake --build --preset "$preset" --parallel "$(nproc)"
    ctest --preset "$preset"
}

if [ "$runs_32_bit" = yes ]; then
    # What a host without 32-bit support runs, so that branch is known to pass too.
    echo "== windows, as on a host that cannot start 32-bit programs"
    windows_suite windows OFF
    echo "== windows"
    windows_suite windows ON
else
    echo "== windows"
    windows_suite windows OFF
fi
echo "== windows64"
windows_suite windows64 ON

echo "== packages"
bash scripts/check_packages.sh

# What this host could not run, a line each.
if [ "$runs_32_bit" = no ]; then
    echo "$NO_32_BIT_LINE"
fi
if ! cpu_has_kernel avx512vbmi; then
    echo "this CPU has no AVX-512 VBMI: the avx512vbmi kernel's native tests were skipped; its SIMDe build, avx512vbmi_emulated, was tested instead"
fi
for kernel in avx2 ssse3; do
    if ! cpu_has_kernel "$kernel"; then
        echo "this CPU has no $kernel: the $kernel kernel's tests were skipped"
    fi
done
