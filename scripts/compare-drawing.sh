#!/bin/sh
# Times the drawing benchmarks of bench/drawing/ as bound B-code programs on the headless engine
# and as bench/drawing_direct.cpp making the same host raster calls directly, side by side, and
# prints the ratio (engine time / direct time; the target is at most 1.5).
# Usage: compare-drawing.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each side, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-drawing"
mkdir -p "$work"
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"
direct="$build/bin/drawing_direct"

# Processor time (user + system) of one run, in seconds.
run_time() {
    QUILLET_BACKEND=headless /usr/bin/time -f "%U %S" -o "$work/time.txt" "$@" >/dev/null \
        2>"$work/stderr.txt" || { cat "$work/stderr.txt"; echo "failed: $*"; exit 1; }
    [ -s "$work/stderr.txt" ] && { cat "$work/stderr.txt"; exit 1; }
    awk '{ print $1 + $2 }' "$work/time.txt"
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

printf "%-14s %10s %10s %8s\n" benchmark engine direct ratio
for pair in lines:lines boxes:boxes console_print:console; do
    name=${pair%%:*} workload=${pair#*:}
    "$quillet" asm "$here/bench/drawing/$name.qba" -o "$work/$name.img"
    "$quillet" bind "$engine" "$work/$name.img" -o "$work/$name"
    # The two alternate, so that a change in the machine's speed meets both alike; the best of
    # RUNS runs of each counts.
    e="" d=""
    i=0
    while [ $i -lt "$runs" ]; do
        e=$(min "$e" "$(run_time "$work/$name")")
        d=$(min "$d" "$(run_time "$direct" "$workload")")
        i=$((i + 1))
    done
    printf "%-14s %9ss %9ss %8s\n" "$name" "$e" "$d" "$(echo "scale=2; $e / $d" | bc)"
done
