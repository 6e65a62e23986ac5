#!/bin/sh
# Runs one B-code assembly program through the real bound engine on the headless backend and
# checks what it did against the expectations written in its comments:
#   ; expect-exit: N          exit status (default 0)
#   ; expect-stderr: TEXT     one line of standard error; all lines, in order (default: none)
#   ; expect-log: TEXT        one line of the debug log; all lines, in order (default: none)
#   ; args: WORDS             program arguments, split as the shell splits them
#   ; no-debug-log            run without a debug log file beside the program
#   ; input: LINE             one line of the headless input script (none: no script)
#   ; expect-snapshot: FILE   a picture the run wrote to its snapshot directory
#   ; expect-no-snapshot      the run wrote no picture at all (no window was ever shown)
#   ; expect-golden: FILE     a snapshot equal to golden/NAME/FILE byte for byte; on a difference the
#                             picture is kept as WORKDIR/NAME/FILE (QUILLET_UPDATE_GOLDEN=1
#                             rewrites the golden: look at it before committing it)
#   ; env: NAME=VALUE         an environment variable for the program (one per line)
# Programs never change the machine's clock: QUILLET_CLOCK_READ_ONLY is always set.
# Usage: run_program_test.sh QUILLET ENGINE SOURCE WORKDIR
set -u
quillet=$1 engine=$2 source=$3 work=$4
name=$(basename "$source" .qba)
dir="$work/$name"
rm -rf "$dir" && mkdir -p "$dir" || exit 1

fail() {
    echo "FAIL $name: $*"
    exit 1
}

expectations() { sed -n "s/^[[:space:]]*[;#]*[[:space:]]*$1:[[:space:]]\{0,1\}//p" "$source"; }

"$quillet" asm "$source" -o "$dir/prog.img" || fail "assembly failed"
"$quillet" bind "$engine" "$dir/prog.img" -o "$dir/prog" || fail "bind failed"
grep -q '^[[:space:]]*[;#]*[[:space:]]*no-debug-log' "$source" || : >"$dir/debug"

expectations input >"$dir/input.txt"
input=
[ -s "$dir/input.txt" ] && input=input.txt
args=$(expectations args)
eval "set -- $args"
(
    expectations env >"$dir/env.txt"
    while IFS= read -r assignment; do export "$assignment"; done <"$dir/env.txt"
    cd "$dir" && QUILLET_CLOCK_READ_ONLY=1 QUILLET_BACKEND=headless QUILLET_INPUT=$input \
        QUILLET_SNAPSHOT_DIR=snaps timeout 60 ./prog "$@" >stdout.txt 2>stderr.txt
)
status=$?

want_exit=$(expectations expect-exit)
[ -n "$want_exit" ] || want_exit=0
[ "$status" = "$want_exit" ] || {
    cat "$dir/stderr.txt"
    fail "exit status $status, expected $want_exit"
}

expectations expect-stderr >"$dir/want-stderr.txt"
diff -u "$dir/want-stderr.txt" "$dir/stderr.txt" >"$dir/stderr.diff" ||
    { cat "$dir/stderr.diff" "$dir/debug" 2>/dev/null; fail "standard error differs"; }

if [ -f "$dir/debug" ]; then
    expectations expect-log >"$dir/want-log.txt"
    diff -u "$dir/want-log.txt" "$dir/debug" >"$dir/log.diff" ||
        { cat "$dir/log.diff"; fail "debug log differs"; }
fi
for picture in $(expectations expect-snapshot); do
    [ -f "$dir/snaps/$picture" ] || fail "no snapshot $picture (have: $(ls "$dir/snaps" 2>/dev/null))"
done
if grep -q '^[[:space:]]*[;#]*[[:space:]]*expect-no-snapshot' "$source"; then
    [ -z "$(ls "$dir/snaps" 2>/dev/null)" ] || fail "snapshots written: $(ls "$dir/snaps")"
fi
for picture in $(expectations expect-golden); do
    actual="$dir/snaps/$picture" golden="$(dirname "$source")/golden/$name/$picture"
    [ -f "$actual" ] || fail "no snapshot $picture (have: $(ls "$dir/snaps" 2>/dev/null))"
    if [ "${QUILLET_UPDATE_GOLDEN:-}" = 1 ]; then
        mkdir -p "$(dirname "$golden")" && cp "$actual" "$golden"
    elif ! cmp -s "$actual" "$golden"; then
        cp "$actual" "$dir/$picture"
        fail "snapshot $picture differs from its golden (actual: $dir/$picture)"
    fi
done
# The bound copy is as large as the engine: only a failing run keeps it.
rm -f "$dir/prog"
echo "ok $name"
