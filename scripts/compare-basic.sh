#!/bin/sh
# The BASIC compiler's speed, in two parts.
#  1. Compiling: a generated line-numbered program of 50,000 lines (bench/basic/generate_program.py)
#     through `quillet compile --console --image`, in lines per second; the front end alone
#     (reading, parsing, checking) on the 50,000 lines; and, should the compiler refuse the
#     program as too large, the largest generated program it accepts, timed the same way.
#  2. Running: the loops of bench/basic/NAME.bas compiled, against the hand-written assembly of
#     bench/programs/NAME.qba (the ratio compiled / assembly, the median of the pairs run in turn),
#     Debian's bwbasic (NAME.bwbas) and yabasic (NAME.yab), and Lua 5.4 (bench/programs/NAME.lua).
#     An interpreter's file may run a fraction of the rounds ("1/N of the rounds" in its first
#     lines): its time is then multiplied by N and marked with *.
# Times are processor time (user + system) of whole processes, the median of RUNS runs, the
# programs alternating. Background load still moves them by some per cent.
# Usage: compare-basic.sh [BUILD_DIR] [RUNS] [LINES]   (defaults: build, 5, 50000)
set -eu
build=${1:-build}
runs=${2:-5}
lines=${3:-50000}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-basic"
mkdir -p "$work"
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"
for tool in python3 lua5.4 bwbasic yabasic; do
    command -v $tool >/dev/null || { echo "$tool is missing (make deps installs it)"; exit 1; }
done

# Processor time (user + system) of one run in seconds, to the millisecond (bash's `time`
# reads the kernel's accounting of the finished child). Standard output goes to a regular file
# (console programs need one); a run that fails or prints "wrong" stops the script.
run_time() {
    bash -c 'TIMEFORMAT="%3U %3S"; { time "$@" >"$0" 2>"$0.err" </dev/null; } 2>"$0.time"' \
        "$work/out.txt" "$@" ||
        { cat "$work/out.txt.err" "$work/out.txt"; echo "failed: $*" >&2; exit 1; }
    if grep -qi 'wrong\|error' "$work/out.txt" "$work/out.txt.err"; then
        cat "$work/out.txt" "$work/out.txt.err"; echo "wrong result: $*" >&2; exit 1
    fi
    awk '{ print $1 + $2 }' "$work/out.txt.time"
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The N of "1/N of the rounds" in an interpreter's file, else 1.
scale_of() { sed -n '1,3s|.*1/\([0-9]*\) of the rounds.*|\1|p' "$1" | head -1 | grep . || echo 1; }

echo "== compiling (quillet compile --console --image)"
# One compile of FILE: "seconds status" (status 0 accepted, 1 refused).
compile_once() {
    status=0
    bash -c 'TIMEFORMAT="%3U %3S"; { time "$@" >/dev/null 2>"$0.err"; } 2>"$0.time"' \
        "$work/compile" "$quillet" compile --console --image -o "$work/gen.img" "$1" || status=1
    echo "$(awk '{ print $1 + $2 }' "$work/compile.time") $status"
}
generate() { python3 "$here/bench/basic/generate_program.py" "$1" >"$work/gen$1.bas"; }
# lines per second of a median time.
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%d", (t > 0) ? n / t : 0 }'; }

generate "$lines"
n=$(wc -l <"$work/gen$lines.bas")
# A run of more than 10 seconds is taken once.
first=$(compile_once "$work/gen$lines.bas")
t=${first% *}
result="accepted"
[ "${first#* }" = 1 ] && result="refused: $(head -1 "$work/compile.err" | sed 's/^[^:]*: error: //')"
if [ "$(echo "$t < 10" | bc)" = 1 ]; then
    t=$( (echo "$t"; i=1; while [ $i -lt "$runs" ]; do compile_once "$work/gen$lines.bas" | cut -d' ' -f1; i=$((i + 1)); done) | median)
    count="median of $runs"
else
    count="one run"
fi
echo "generated program: $n lines, ${t}s ($count), $(rate "$n" "$t") lines/s; $result"
if [ "${first#* }" = 1 ]; then
    # The largest generated program accepted, to the nearest 250 lines: doubling from 1000 lines
    # while accepted, then halving the interval.
    accepted() { generate "$1" && [ "$(compile_once "$work/gen$1.bas" | cut -d' ' -f2)" = 0 ]; }
    low=0 high=1000
    while [ $high -lt "$lines" ] && accepted $high; do low=$high high=$((high * 2)); done
    [ $high -gt "$lines" ] && high=$lines
    while [ $((high - low)) -gt 250 ]; do
        mid=$(((low + high) / 2))
        if accepted $mid; then low=$mid; else high=$mid; fi
    done
    if [ $low -gt 0 ]; then
        generate $low
        m=$(wc -l <"$work/gen$low.bas")
        t=$(i=0; while [ $i -lt "$runs" ]; do compile_once "$work/gen$low.bas" | cut -d' ' -f1; i=$((i + 1)); done | median)
        echo "largest program accepted: $m lines, ${t}s (median of $runs), $(rate "$m" "$t") lines/s"
    fi
fi
# The front end alone (reading, parsing, checking): the same program with a faulty line added
# after its end, which the checker reports, so that no code is generated or assembled.
(cat "$work/gen$lines.bas"; echo '99999 LET broken$ = 1') >"$work/front.bas"
t=$(i=0; while [ $i -lt "$runs" ]; do compile_once "$work/front.bas" | cut -d' ' -f1; i=$((i + 1)); done | median)
grep -q 'after the END' "$work/compile.err" || { cat "$work/compile.err"; exit 1; }
echo "front end alone (read, parse, check) on it: ${t}s (median of $runs), $(rate "$n" "$t") lines/s"

echo "== running (processor seconds, median of $runs; * = interpreter ran 1/N of the rounds, time x N)"
printf "%-18s %9s %9s %7s %10s %10s %9s\n" loop compiled assembly ratio bwbasic yabasic lua5.4
for source in "$here"/bench/basic/*.bas; do
    name=$(basename "$source" .bas)
    [ "$name" = "${name%_loop}" ] && continue
    "$quillet" compile --console -o "$work/$name" "$source"
    asm="$here/bench/programs/$name.qba"
    lua="$here/bench/programs/$name.lua"
    bw="$here/bench/basic/$name.bwbas"
    yab="$here/bench/basic/$name.yab"
    if [ -f "$asm" ]; then
        "$quillet" asm "$asm" -o "$work/$name-asm.img"
        "$quillet" bind "$engine" "$work/$name-asm.img" -o "$work/$name-asm"
    fi
    : >"$work/c.txt"; : >"$work/a.txt"; : >"$work/r.txt"; : >"$work/b.txt"; : >"$work/y.txt"
    : >"$work/l.txt"
    i=0
    while [ $i -lt "$runs" ]; do
        c=$(run_time "$work/$name")
        echo "$c" >>"$work/c.txt"
        if [ -f "$asm" ]; then
            a=$(run_time "$work/$name-asm")
            echo "$a" >>"$work/a.txt"
            echo "$c $a" | awk '{ if ($2 > 0) print $1 / $2 }' >>"$work/r.txt"
        fi
        [ -f "$bw" ] && run_time bwbasic "$bw" >>"$work/b.txt"
        [ -f "$yab" ] && run_time yabasic "$yab" >>"$work/y.txt"
        [ -f "$lua" ] && run_time lua5.4 "$lua" >>"$work/l.txt"
        i=$((i + 1))
    done
    show() { # FILE [SCALE]: the median in seconds, scaled, or - when nothing ran
        if [ -s "$1" ]; then
            median <"$1" | awk -v s="${2:-1}" '{ printf "%.3fs%s", $1 * s, (s > 1) ? "*" : "" }'
        else
            printf -- "-"
        fi
    }
    ratio=$( [ -s "$work/r.txt" ] && median <"$work/r.txt" | awk '{ printf "%.2f", $1 }' || echo -)
    printf "%-18s %9s %9s %7s %10s %10s %9s\n" "$name" "$(show "$work/c.txt")" \
        "$(show "$work/a.txt")" "$ratio" \
        "$(show "$work/b.txt" "$( [ -f "$bw" ] && scale_of "$bw" || echo 1)")" \
        "$(show "$work/y.txt" "$( [ -f "$yab" ] && scale_of "$yab" || echo 1)")" \
        "$(show "$work/l.txt")"
done
