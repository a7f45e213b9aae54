# Sourced by the test scripts: what this host can run.

# Whether this host can start 32-bit programs, asked once of the 32-bit Wine
# loader. Answers "yes" or "no". ZORVEX_TEST_RUNS_32_BIT gives the answer
# instead: "no" tries that branch on a host that could, and the test command
# passes its own answer on to the scripts it runs, so the loader is asked
# once per run. A loader that starts but fails, or any other failure, is an
# error and stops the caller.
host_runs_32_bit() {
    local loader=/usr/lib/wine/wine output status=0
    case "${ZORVEX_TEST_RUNS_32_BIT:-}" in
    yes | no) echo "$ZORVEX_TEST_RUNS_32_BIT"; return ;;
    "") ;;
    *) echo "error: ZORVEX_TEST_RUNS_32_BIT is '$ZORVEX_TEST_RUNS_32_BIT'; it takes yes or no" >&2
       return 1 ;;
    esac
    output=$("$loader" --version 2>&1) || status=$?
    if [ "$status" -eq 0 ]; then
        echo yes
    elif [ "$status" -eq 126 ] && grep -q 'Exec format error' <<< "$output"; then
        echo no
    else
        echo "error: the 32-bit Wine loader is installed but failed ($status): $output" >&2
        return 1
    fi
}

# The one line a host without 32-bit support prints about the 32-bit program.
NO_32_BIT_LINE="this host cannot start 32-bit programs: zorvex.exe (32-bit) built and checked, its tests not run; the 64-bit Windows program was tested instead"

# Whether the CPU has what the encoder's kernel of that name needs, as the
# kernel lists its instruction sets: avx512vbmi, avx2 or ssse3.
cpu_has_kernel() {
    local flags feature
    flags=$(grep -m1 '^flags' /proc/cpuinfo)
    case $1 in
    avx512vbmi) set -- avx512f avx512bw avx512vbmi ;;
    *) set -- "$1" ;;
    esac
    for feature in "$@"; do
        grep -qw "$feature" <<< "$flags" || return 1
    done
}
