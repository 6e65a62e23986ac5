#!/bin/bash
# Times 100 MiB going from one bound program to another in 64 KiB writes, through a named pipe
# (bif 408) and through a loopback TCP connection (bif 506), against two socat processes making
# the same transfers with the same block size, and prints throughputs and ratios (engine
# throughput / socat throughput: 1 means as fast as socat). Wall-clock time from starting the
# receiving side until both ends have exited, best of RUNS. The engine's figures are given whole
# and, as "net", less twice the time of a bound empty program (start-up and exit): the two programs
# start one after the other, and that fixed cost is the engine's, not the transfer's (their exits
# overlap, so the net figures are slightly generous).
# Usage: compare-socat.sh [BUILD_DIR] [RUNS]   (RUNS: runs of each side, default 3)
set -eu
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
command -v socat >/dev/null || { echo "compare-socat.sh needs socat"; exit 1; }
work="$build/bench-devices"
mkdir -p "$work"
work=$(cd "$work" && pwd)
pipes=$(mktemp -d /tmp/quillet-bench-XXXXXX)
trap 'rm -rf "$pipes"' EXIT
export QUILLET_PIPE_DIR="$pipes" QUILLET_BACKEND=headless
megabytes=100
bytes=$((megabytes * 1048576))

for source in "$here"/bench/devices/{pipe,socket}_{sender,receiver}.qba \
    "$here/bench/programs/empty.qba"; do
    name=$(basename "$source" .qba)
    "$build/bin/quillet" asm "$source" -o "$work/$name.img"
    "$build/bin/quillet" bind "$build/bin/quillet-engine" "$work/$name.img" -o "$work/$name"
done

now() { date +%s%N; }
wait_for_file() { while [ ! -e "$1" ]; do sleep 0.001; done; }
# Waits until something listens on the loopback TCP port (LISTEN is state 0A in /proc/net/tcp).
wait_for_port() {
    local hex
    hex=$(printf '%04X' "$1")
    until grep -q "0100007F:$hex 00000000:0000 0A" /proc/net/tcp; do sleep 0.001; done
}
seconds_since() { echo "scale=4; ($(now) - $1) / 1000000000" | bc; }
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

engine_pipe() {
    local start sender
    start=$(now)
    (cd "$work" && ./pipe_sender) & sender=$!
    wait_for_file "$pipes/bench.sock"
    (cd "$work" && ./pipe_receiver)
    wait $sender
    seconds_since "$start"
}
socat_pipe() {
    local start receiver
    start=$(now)
    rm -f "$pipes/socat.sock"
    socat -u -b65536 UNIX-LISTEN:"$pipes/socat.sock" OPEN:/dev/null & receiver=$!
    wait_for_file "$pipes/socat.sock"
    socat -u -b65536 OPEN:/dev/zero,readbytes=$bytes UNIX-CONNECT:"$pipes/socat.sock"
    wait $receiver
    seconds_since "$start"
}
engine_socket() {
    local start receiver port=$1
    start=$(now)
    (cd "$work" && ./socket_receiver "$port") & receiver=$!
    wait_for_port "$port"
    (cd "$work" && ./socket_sender "$port")
    wait $receiver
    seconds_since "$start"
}
socat_socket() {
    local start receiver port=$1
    start=$(now)
    socat -u -b65536 TCP-LISTEN:"$port",bind=127.0.0.1,reuseaddr OPEN:/dev/null & receiver=$!
    wait_for_port "$port"
    socat -u -b65536 OPEN:/dev/zero,readbytes=$bytes TCP:127.0.0.1:"$port"
    wait $receiver
    seconds_since "$start"
}

empty_program() {
    local start
    start=$(now)
    (cd "$work" && ./empty)
    seconds_since "$start"
}

ep="" sp="" es="" ss="" empty=""
port=$((40000 + $$ % 20000))
i=0
while [ $i -lt "$runs" ]; do
    ep=$(min "$ep" "$(engine_pipe)")
    sp=$(min "$sp" "$(socat_pipe)")
    es=$(min "$es" "$(engine_socket $port)")
    port=$((port + 1))
    ss=$(min "$ss" "$(socat_socket $port)")
    port=$((port + 1))
    empty=$(min "$empty" "$(empty_program)")
    i=$((i + 1))
done

rate() { echo "scale=0; $megabytes / $1" | bc; }
net() { echo "scale=4; $1 - 2 * $empty" | bc; }
# A noisy machine can make the best empty run slower than the best transfer: no net figure then.
net_rate() { if [ "$(echo "$(net "$1") > 0" | bc)" = 1 ]; then rate "$(net "$1")"; else echo -; fi; }
net_ratio() {
    if [ "$(echo "$(net "$1") > 0" | bc)" = 1 ]; then echo "scale=2; $2 / $(net "$1")" | bc
    else echo -; fi
}
echo "start-up and exit of a bound empty program: $empty s"
printf "%-7s %12s %12s %12s %7s %9s\n" "" "engine MB/s" "net MB/s" "socat MB/s" ratio "net ratio"
for way in pipe socket; do
    if [ $way = pipe ]; then e=$ep s=$sp; else e=$es s=$ss; fi
    printf "%-7s %12s %12s %12s %7s %9s\n" $way "$(rate "$e")" "$(net_rate "$e")" \
        "$(rate "$s")" "$(echo "scale=2; $s / $e" | bc)" "$(net_ratio "$e" "$s")"
done
