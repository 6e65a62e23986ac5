#!/bin/sh
# Start-up of a bound program: bench/programs/empty.qba bound to the engine, started and ended
# RUNS times in a row as a shell starts programs, in BATCHES batches. Prints the median over the
# batches of the wall time per run, and the median and largest peak memory (maximum resident set,
# /usr/bin/time) of RUNS single runs. Both ways a run comes to the headless backend are measured:
# QUILLET_BACKEND=headless, and no backend named with no display set. /bin/true, timed the same
# way, shows what starting any process costs on the machine at that moment.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS] [BATCHES]   (defaults: build, 20, 7; BATCHES >= 5)
set -eu
build=${1:-build}
runs=${2:-20}
batches=${3:-7}
[ "$batches" -ge 5 ] || { echo "BATCHES must be at least 5"; exit 1; }
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-startup"
mkdir -p "$work"
"$build/bin/quillet" asm "$here/bench/programs/empty.qba" -o "$work/empty.img"
"$build/bin/quillet" bind "$build/bin/quillet-engine" "$work/empty.img" -o "$work/empty"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Microseconds per run of one batch of `runs` runs of the command.
batch() {
    start=$(date +%s%N)
    i=0
    while [ $i -lt "$runs" ]; do
        "$@" >/dev/null || { echo "failed: $*"; exit 1; }
        i=$((i + 1))
    done
    end=$(date +%s%N)
    echo $(((end - start) / runs / 1000))
}

# One line of figures for the command: the batches' median time, then the peak memory of single
# runs (median and largest, KiB).
measure() {
    label=$1
    shift
    "$@" >/dev/null # warm the page cache
    b=0
    : >"$work/times"
    while [ $b -lt "$batches" ]; do
        batch "$@" >>"$work/times"
        b=$((b + 1))
    done
    i=0
    : >"$work/peaks"
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%M" -o "$work/peak" "$@" >/dev/null
        cat "$work/peak" >>"$work/peaks"
        i=$((i + 1))
    done
    printf "%-34s %8s us %8s us %9s KiB %9s KiB\n" "$label" "$(median <"$work/times")" \
        "$(sort -n "$work/times" | tail -n 1)" "$(median <"$work/peaks")" \
        "$(sort -n "$work/peaks" | tail -n 1)"
}

echo "start-up and exit of a bound empty program: $runs runs a batch, $batches batches"
printf "%-34s %11s %11s %13s %13s\n" "" "median" "slowest" "peak median" "peak max"
(
    export QUILLET_BACKEND=headless
    measure "QUILLET_BACKEND=headless" "$work/empty"
)
(
    unset QUILLET_BACKEND DISPLAY WAYLAND_DISPLAY
    measure "no backend named, no display" "$work/empty"
)
measure "/bin/true (any process)" /bin/true
