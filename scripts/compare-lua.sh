#!/bin/sh
# Times each whole-program benchmark of bench/programs/ in B-code on the bound engine, in Lua 5.4
# and in LuaJIT's interpreter (luajit -joff: the JIT compiler off), side by side, and prints the
# ratios (Lua time / engine time: above 1 means the engine is faster), then the start-up time and
# peak memory of a bound empty program.
# Usage: compare-lua.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each side, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-programs"
mkdir -p "$work"
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"
command -v lua5.4 >/dev/null || { echo "lua5.4 is missing (make deps installs it)"; exit 1; }
command -v luajit >/dev/null || { echo "luajit is missing (make deps installs it)"; exit 1; }

# Processor time (user + system) of one run, in seconds: unlike wall-clock time it does not
# depend on what else the machine is doing.
run_time() {
    /usr/bin/time -f "%U %S" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
        { cat "$work/stderr.txt"; echo "failed: $*"; exit 1; }
    [ -s "$work/stderr.txt" ] && { cat "$work/stderr.txt"; exit 1; }
    awk '{ print $1 + $2 }' "$work/time.txt"
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

bind() {
    "$quillet" asm "$1" -o "$work/$2.img"
    "$quillet" bind "$engine" "$work/$2.img" -o "$work/$2"
}

printf "%-18s %10s %10s %11s %8s %8s\n" program engine lua5.4 luajit-joff lua/eng jit/eng
for source in "$here"/bench/programs/*.qba; do
    name=$(basename "$source" .qba)
    lua="$here/bench/programs/$name.lua"
    [ -f "$lua" ] || continue
    bind "$source" "$name"
    # The three alternate, so that a change in the machine's speed meets all alike; the best of
    # RUNS runs of each counts.
    e="" l="" j=""
    i=0
    while [ $i -lt "$runs" ]; do
        e=$(min "$e" "$(run_time "$work/$name")")
        l=$(min "$l" "$(run_time lua5.4 "$lua")")
        j=$(min "$j" "$(run_time luajit -joff "$lua")")
        i=$((i + 1))
    done
    printf "%-18s %9ss %9ss %10ss %8s %8s\n" "$name" "$e" "$l" "$j" \
        "$(echo "scale=2; $l / $e" | bc)" "$(echo "scale=2; $j / $e" | bc)"
done

bind "$here/bench/programs/empty.qba" empty
"$work/empty" # warm the page cache
/usr/bin/time -f "%e %M" -o "$work/time.txt" "$work/empty"
start=$(date +%s%N)
i=0
while [ $i -lt 20 ]; do "$work/empty"; i=$((i + 1)); done
end=$(date +%s%N)
echo "start-up of a bound empty program: $(( (end - start) / 20000 )) us," \
     "peak memory $(cut -d' ' -f2 "$work/time.txt") KiB"
