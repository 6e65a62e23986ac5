#!/bin/sh
# Times a B-code program writing a 100 MB file in 64 KiB records (bifs 107, 110) and reading it
# back (bif 109) against dd doing the same transfers with the same block size, and prints the
# throughputs and the ratios (engine throughput / dd throughput: 1 means as fast as dd).
# Wall-clock time, best of RUNS; the file lives in the build directory (the page cache, as for
# dd). The engine's figures are given whole and, as "net", less the time of a bound empty
# program (start-up and exit), which is the engine's fixed cost, not the transfer's.
# Usage: compare-dd.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each side, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
work="$build/bench-files"
mkdir -p "$work"
work=$(cd "$work" && pwd)
quillet="$build/bin/quillet"
engine="$build/bin/quillet-engine"
megabytes=100

for source in "$here/bench/files/write_file.qba" "$here/bench/files/read_file.qba" \
    "$here/bench/programs/empty.qba"; do
    name=$(basename "$source" .qba)
    "$quillet" asm "$source" -o "$work/$name.img"
    "$quillet" bind "$engine" "$work/$name.img" -o "$work/$name"
done

# Wall-clock seconds of one run of a command in the work directory.
seconds() {
    start=$(date +%s%N)
    (cd "$work" && "$@" >/dev/null 2>"$work/stderr.txt") ||
        { cat "$work/stderr.txt"; echo "failed: $*"; exit 1; }
    end=$(date +%s%N)
    echo "scale=4; ($end - $start) / 1000000000" | bc
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

ew="" dw="" er="" dr="" empty=""
i=0
while [ $i -lt "$runs" ]; do
    rm -f "$work/TRANSFER.DAT"
    ew=$(min "$ew" "$(seconds ./write_file)")
    rm -f "$work/TRANSFER.DAT"
    dw=$(min "$dw" "$(seconds dd if=/dev/zero of=TRANSFER.DAT bs=64k count=1600)")
    er=$(min "$er" "$(seconds ./read_file)")
    dr=$(min "$dr" "$(seconds dd if=TRANSFER.DAT of=/dev/null bs=64k)")
    empty=$(min "$empty" "$(seconds ./empty)")
    i=$((i + 1))
done
rm -f "$work/TRANSFER.DAT"

rate() { echo "scale=0; $megabytes / $1" | bc; }
net() { echo "scale=4; $1 - $empty" | bc; }
echo "start-up and exit of a bound empty program: $empty s"
printf "%-6s %12s %12s %12s %7s %9s\n" "" "engine MB/s" "net MB/s" "dd MB/s" ratio "net ratio"
for way in write read; do
    if [ $way = write ]; then e=$ew d=$dw; else e=$er d=$dr; fi
    printf "%-6s %12s %12s %12s %7s %9s\n" $way "$(rate "$e")" "$(rate "$(net "$e")")" \
        "$(rate "$d")" "$(echo "scale=2; $d / $e" | bc)" "$(echo "scale=2; $d / $(net "$e")" | bc)"
done
