#!/bin/sh
# Pipes (bif 408) between two bound programs, for both implementations: pipes/server.qba opens
# the pipe "qtest" and pipes/client.qba connects to it; each checks what it receives and writes
# its debug log, which is compared with the file's "; expect-log-named:" or "; expect-log-files:"
# lines. While the server waits for its client it must sleep, not spin.
# Usage: pipe_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/pipe_checks
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
    echo "FAIL pipe_checks ($kind): $*"
    failures=$((failures + 1))
}

for name in server client; do
    "$quillet" asm "$here/pipes/$name.qba" -o "$work/$name.img" || exit 1
done

# CPU ticks (user + system) that process pid has used so far.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

for kind in named files; do
    dir="$work/$kind"
    mkdir -p "$dir/server" "$dir/client" || exit 1
    # A short directory: a socket path has at most 107 bytes, however deep the build tree is.
    pipes=$(mktemp -d /tmp/quillet-pipe-checks-XXXXXX) || exit 1
    for name in server client; do
        "$quillet" bind "$engine" "$work/$name.img" -o "$dir/$name/$name" || exit 1
        : >"$dir/$name/debug"
    done
    emulation=0
    [ "$kind" = files ] && emulation=1
    export QUILLET_PIPE_DIR="$pipes" QUILLET_PIPE_EMULATION=$emulation TMP=. \
        QUILLET_BACKEND=headless
    (cd "$dir" && exec timeout 60 server/server "$kind" >server.out 2>server.err) &
    server=$!
    # The server is ready when its socket (named) or its files (emulation) exist.
    ready="$pipes/qtest.sock"
    [ "$kind" = files ] && ready="$dir/qtest.W"
    i=0
    while [ ! -e "$ready" ] && [ $i -lt 300 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    [ -e "$ready" ] || fail "the server never opened the pipe"
    engine_pid=$(pgrep -P "$server" | head -n 1)
    before=$(cpu_ticks "$engine_pid" 2>/dev/null || echo 0)
    sleep 1
    after=$(cpu_ticks "$engine_pid" 2>/dev/null || echo 0)
    [ $((after - before)) -lt 30 ] || fail "the waiting server used $((after - before)) ticks in 1 s"
    (cd "$dir" && timeout 60 client/client "$kind" >client.out 2>client.err)
    status=$?
    [ "$status" = 0 ] || { cat "$dir/client.err"; fail "client exit status $status"; }
    wait "$server"
    status=$?
    [ "$status" = 0 ] || { cat "$dir/server.err"; fail "server exit status $status"; }
    rm -rf "$pipes"
    for name in server client; do
        sed -n "s/^; expect-log-$kind: \{0,1\}//p" "$here/pipes/$name.qba" >"$dir/$name/want-log"
        diff -u "$dir/$name/want-log" "$dir/$name/debug" || fail "$name's debug log differs"
    done
done
[ "$kind" = files ] && for f in qtest.R qtest.W; do
    [ -f "$work/files/$f" ] || fail "$f was removed by close"
done

[ "$failures" = 0 ] && echo "ok pipe_checks"
[ "$failures" = 0 ]
