#!/bin/sh
# The demo of examples/ run headless with one scripted key: it ends well, logs every step, writes
# its PNG badge, and its window at the end equals the golden snapshot (QUILLET_UPDATE_GOLDEN=1
# rewrites the golden: look at it before committing it).
# Usage: demo_checks.sh QUILLET ENGINE SOURCE WORKDIR
set -u
quillet=$1 engine=$2 source=$3 work=$4/demo_checks
golden="$(dirname "$0")/golden/demo/exit-Quillet_BASIC_Amber_Edition.png"
rm -rf "$work" && mkdir -p "$work" || exit 1

fail() {
    echo "FAIL demo_checks: $*"
    exit 1
}

"$quillet" asm "$source" -o "$work/demo.img" || fail "assembly failed"
"$quillet" bind "$engine" "$work/demo.img" -o "$work/demo" || fail "bind failed"
: >"$work/debug"
printf 'key space\n' >"$work/input.txt"
(cd "$work" && QUILLET_CLOCK_READ_ONLY=1 QUILLET_BACKEND=headless QUILLET_INPUT=input.txt \
    QUILLET_SNAPSHOT_DIR=snaps timeout 60 ./demo >stdout.txt 2>stderr.txt)
status=$?
[ "$status" = 0 ] || { cat "$work/stderr.txt"; fail "exit status $status"; }
[ -s "$work/stderr.txt" ] && fail "standard error: $(cat "$work/stderr.txt")"

cat >"$work/want-log.txt" <<'LOG'
sum of the squares of 1 to 10: 385
joined: routines loops strings
caught exception 3001
lines, boxes and ellipses drawn
star drawn
demo-badge.png written and read back: picture of 10432 bytes
picture kept and shown
key 32
Demo done
LOG
diff -u "$work/want-log.txt" "$work/debug" || fail "debug log differs"

# The badge the demo wrote is a real 72 x 48 PNG file.
[ "$(identify -format '%m %wx%h' "$work/demo-badge.png" 2>/dev/null)" = "PNG 72x48" ] ||
    fail "demo-badge.png is not a 72x48 PNG"

actual="$work/snaps/exit-Quillet_BASIC_Amber_Edition.png"
[ -f "$actual" ] || fail "no snapshot at the end (have: $(ls "$work/snaps" 2>/dev/null))"
if [ "${QUILLET_UPDATE_GOLDEN:-}" = 1 ]; then
    mkdir -p "$(dirname "$golden")" && cp "$actual" "$golden"
elif ! cmp -s "$actual" "$golden"; then
    fail "the window at the end differs from its golden (actual: $actual)"
fi
echo "ok demo_checks"
