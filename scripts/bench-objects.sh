#!/bin/sh
# Times the object benchmarks of bench/objects/ as bound B-code programs on the headless engine:
# a form of 200 controls created, shown and freed 100 times, and the time from a scripted click
# to the program seeing its event (1000 clicks). Each program times itself by its clock (bif 61,
# wall time) and logs its figure; the processor time of the run (user + system, less that of a
# bound empty program) is given beside it, since wall time on a loaded machine is mostly waiting
# for a processor. The best of RUNS runs counts for each.
# Usage: bench-objects.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-objects"
mkdir -p "$work"
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"

# The click script: the window, then 1000 clicks on its push button.
{
    echo "wait window Click latency"
    echo "target Click latency"
    i=0
    while [ $i -lt 1000 ]; do
        echo "click 60 35"
        i=$((i + 1))
    done
} >"$work/clicks.txt"

for name in form_controls click_latency empty; do
    source="$here/bench/objects/$name.qba"
    [ "$name" = empty ] && source="$here/bench/programs/empty.qba"
    "$quillet" asm "$source" -o "$work/$name.img"
    "$quillet" bind "$engine" "$work/$name.img" -o "$work/$name"
done

# One run of a bound program with an input script: sets `figure` to the number of the last line
# of its debug log and `cpu` to its processor time in seconds.
run_once() {
    : >"$work/debug"
    (cd "$work" && QUILLET_BACKEND=headless QUILLET_INPUT="$2" /usr/bin/time -f "%U %S" \
        -o time.txt "./$1" >/dev/null 2>"$1.stderr") ||
        { cat "$work/$1.stderr"; echo "failed: $1"; exit 1; }
    [ -s "$work/$1.stderr" ] && { cat "$work/$1.stderr"; exit 1; }
    figure=$(sed -n 's/.*: \([0-9.]*\) .*/\1/p' "$work/debug" | tail -n 1)
    cpu=$(awk '{ print $1 + $2 }' "$work/time.txt")
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

# Best of RUNS: sets `best_figure`, `best_cpu` and `label` (the log line without its number).
best_of() {
    best_figure="" best_cpu=""
    i=0
    while [ $i -lt "$runs" ]; do
        run_once "$1" "$2"
        [ "$1" = empty ] || [ -n "$figure" ] || { cat "$work/debug"; echo "no figure: $1"; exit 1; }
        [ "$1" = empty ] || best_figure=$(min "$best_figure" "$figure")
        best_cpu=$(min "$best_cpu" "$cpu")
        i=$((i + 1))
    done
    label=$(sed -n 's/^\(.*\): [0-9.]* \(.*\)$/\1|\2/p' "$work/debug" | tail -n 1)
}

best_of empty /dev/null
empty_cpu=$best_cpu
best_of form_controls /dev/null
printf '%s: %s %s by its clock, %s s processor time\n' "${label%%|*}" "$best_figure" \
    "${label#*|}" "$(echo "scale=3; ($best_cpu - $empty_cpu) / 1" | bc)"
best_of click_latency clicks.txt
printf '%s: %s %s by its clock, %s us processor time a click\n' "${label%%|*}" "$best_figure" \
    "${label#*|}" "$(echo "($best_cpu - $empty_cpu) * 1000" | bc | sed 's/\..*//')"
