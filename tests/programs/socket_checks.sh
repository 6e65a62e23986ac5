#!/bin/sh
# Sockets (bif 506) against a real loopback peer (sockets/peer.py): a bound client program talks
# to a Python server, and a bound server program accepts a Python client. Each program checks
# what it receives and writes its debug log, compared with its "; expect-log:" lines. While the
# server program blocks in accept it must sleep, not spin.
# Usage: socket_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/socket_checks
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work/client" "$work/server" || exit 1
failures=0

fail() {
    echo "FAIL socket_checks: $*"
    failures=$((failures + 1))
}

for name in server client; do
    "$quillet" asm "$here/sockets/$name.qba" -o "$work/$name.img" || exit 1
    "$quillet" bind "$engine" "$work/$name.img" -o "$work/$name/$name" || exit 1
    : >"$work/$name/debug"
done
export QUILLET_BACKEND=headless

check_log() {
    sed -n 's/^; expect-log: \{0,1\}//p' "$here/sockets/$1.qba" >"$work/$1/want-log"
    diff -u "$work/$1/want-log" "$work/$1/debug" || fail "$1's debug log differs"
}

# The program as client.
timeout 60 python3 "$here/sockets/peer.py" server "$work/port" &
peer=$!
i=0
while [ ! -s "$work/port" ] && [ $i -lt 300 ]; do
    sleep 0.1
    i=$((i + 1))
done
timeout 60 "$work/client/client" "$(cat "$work/port")" >"$work/client.out" 2>"$work/client.err"
status=$?
[ "$status" = 0 ] || { cat "$work/client.err"; fail "client exit status $status"; }
wait "$peer" || fail "the Python server saw something else"
check_log client

# The program as server, on a port that was free a moment ago.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
timeout 60 "$work/server/server" "$port" >"$work/server.out" 2>"$work/server.err" &
server=$!
sleep 0.5
engine_pid=$(pgrep -P "$server" | head -n 1)
before=$(awk '{print $14 + $15}' "/proc/$engine_pid/stat" 2>/dev/null || echo 0)
sleep 1
after=$(awk '{print $14 + $15}' "/proc/$engine_pid/stat" 2>/dev/null || echo 0)
[ $((after - before)) -lt 30 ] || fail "the accepting server used $((after - before)) ticks in 1 s"
timeout 60 python3 "$here/sockets/peer.py" client "$port" || fail "the Python client saw something else"
wait "$server"
status=$?
[ "$status" = 0 ] || { cat "$work/server.err"; fail "server exit status $status"; }
check_log server

[ "$failures" = 0 ] && echo "ok socket_checks"
[ "$failures" = 0 ]
