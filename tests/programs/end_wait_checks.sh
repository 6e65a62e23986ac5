#!/bin/sh
# Program end with kinds 1 and 44: the engine shows "Press any key." in a window and waits for a
# key; a headless run without a scripted key ends at once. Checks the exit, the window's picture
# and that other kinds open no window.
# Usage: end_wait_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/end_wait_checks
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
title=Quillet_BASIC_Amber_Edition

fail() {
    echo "FAIL end_wait_checks: $*"
    failures=$((failures + 1))
}

# Builds $work/$1/prog, a program that ends with kind $2.
program() {
    mkdir -p "$work/$1"
    printf 'module main\n  routine main\n    end_unit %s\n end\n' "$2" >"$work/$1/prog.qba"
    "$quillet" asm "$work/$1/prog.qba" -o "$work/$1/prog.img" &&
        "$quillet" bind "$engine" "$work/$1/prog.img" -o "$work/$1/prog" || fail "$1: build"
}

# Runs $work/$1/prog headless with the input script $2 (may be empty); expects exit status 0 and
# nothing on standard error.
run() {
    dir="$work/$1"
    printf '%b' "$2" >"$dir/input.txt"
    (cd "$dir" && QUILLET_BACKEND=headless QUILLET_INPUT=input.txt QUILLET_SNAPSHOT_DIR=snaps \
        timeout 60 ./prog >stdout.txt 2>stderr.txt)
    status=$?
    [ "$status" = 0 ] || fail "$1: exit status $status"
    [ -s "$dir/stderr.txt" ] && fail "$1: standard error: $(cat "$dir/stderr.txt")"
}

# The number of colours in a part of picture $1: WIDTHxHEIGHT+X+Y.
colours() {
    convert "$1" -crop "$2" +repage -format %k info:
}

# Without a key to come the wait ends at once; the window was there at the end.
program no_key 1
run no_key ""
[ -f "$work/no_key/snaps/exit-$title.png" ] || fail "no_key: no window at the end"

# With a key: the text is drawn at the bottom left of the client area (its baseline 10 pixels
# above the client bottom: 24 + 648 - 10 in the picture), nothing elsewhere.
program key 1
run key "snapshot waiting\nkey a\n"
picture="$work/key/snaps/waiting-$title.png"
if [ -f "$picture" ]; then
    [ "$(colours "$picture" 120x20+4+650)" -gt 1 ] || fail "key: no text at the bottom left"
    [ "$(colours "$picture" 300x200+300+200)" = 1 ] || fail "key: the client area is not plain"
else
    fail "key: no snapshot while waiting"
fi

# Kind 44 waits too; closing the window ends the wait as a key does.
program close 44
run close "snapshot waiting\nclose Quillet BASIC Amber Edition\n"
[ -f "$work/close/snaps/waiting-$title.png" ] || fail "close: no window while waiting"

# Other kinds end without a window.
program plain 0
run plain "key a\n"
[ -z "$(ls "$work/plain/snaps" 2>/dev/null)" ] || fail "plain: a window was opened"

[ "$failures" = 0 ] && echo "ok end_wait_checks"
[ "$failures" = 0 ]
