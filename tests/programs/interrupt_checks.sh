#!/bin/sh
# SIGINT and SIGTERM end a bound program at once wherever it is: running ops, inside a message
# box, waiting for a key. The debug log says so and the files it wrote are complete; the caller
# sees the signal.
# Usage: interrupt_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/interrupt_checks
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
fail() {
    echo "FAIL interrupt_checks: $*"
    failures=$((failures + 1))
}

# build NAME: $work/NAME/prog from the program text on standard input.
build() {
    mkdir -p "$work/$1"
    cat >"$work/$1/prog.qba"
    "$quillet" asm "$work/$1/prog.qba" -o "$work/$1/prog.img" &&
        "$quillet" bind "$engine" "$work/$1/prog.img" -o "$work/$1/prog" || fail "$1: build"
}

# interrupt NAME SIGNAL NUMBER SCRIPT: runs the program headless with the input script, sends
# the signal after a second and expects the process to end by it within five more.
interrupt() {
    dir="$work/$1"
    printf '%b' "$4" >"$dir/input.txt"
    : >"$dir/debug"
    (cd "$dir" && exec env QUILLET_BACKEND=headless QUILLET_INPUT=input.txt ./prog \
        >stdout.txt 2>stderr.txt) &
    pid=$!
    sleep 1
    kill -"$2" $pid
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 $pid 2>/dev/null || break
        sleep 0.5
    done
    if kill -0 $pid 2>/dev/null; then
        kill -9 $pid
        fail "$1: still running 5 s after SIG$2"
        return
    fi
    wait $pid
    status=$?
    want=$((128 + $3))
    [ "$status" = "$want" ] || fail "$1: exit status $status, expected $want"
    grep -qx "stopped by signal $3" "$dir/debug" ||
        fail "$1: the debug log does not say so: $(cat "$dir/debug")"
}

# Inside a message box that the script keeps open.
build box <<'PROGRAM'
module main
  routine main
    local num unused
    bif engine_option "dialog", "waiting here", unused
    end_unit 0
end
PROGRAM
interrupt box INT 2 "wait 20s\n"

# Waiting for a key after "Press any key."
build key <<'PROGRAM'
module main
  routine main
    end_unit 1
end
PROGRAM
interrupt key TERM 15 "wait 20s\nkey a\n"

# Running ops: a loop that never ends.
build loop <<'PROGRAM'
module main
  routine main
  again:
    jump again
end
PROGRAM
interrupt loop INT 2 ""

# On a desktop: Ctrl+C while a message box is open (SDL on a virtual display, when there is one).
if command -v xvfb-run >/dev/null 2>&1; then
    dir="$work/box"
    : >"$dir/debug"
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        cd "$1" && QUILLET_BACKEND=sdl ./prog >stdout.txt 2>stderr.txt &
        pid=$!
        sleep 2
        kill -INT $pid
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
        kill -0 $pid 2>/dev/null && { kill -9 $pid; echo hung >"$1/sdl-status"; exit 0; }
        wait $pid
        echo $? >"$1/sdl-status"' sh "$dir"
    [ "$(cat "$dir/sdl-status" 2>/dev/null)" = 130 ] ||
        fail "sdl box: status $(cat "$dir/sdl-status" 2>/dev/null), expected 130"
    grep -qx "stopped by signal 2" "$dir/debug" || fail "sdl box: the debug log does not say so"
fi

[ "$failures" = 0 ] && echo "ok interrupt_checks"
[ "$failures" = 0 ]
