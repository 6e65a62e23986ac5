#!/bin/sh
# The demo of examples/ run headless with its input script (examples/demo.input), as `make demo`
# runs it: its form is clicked and chosen from (a colour, the long tune, About, the tune, Quit),
# then the key it waits for at the end is pressed. It ends well, logs every step and every answer
# of the form, writes its PNG badge, and its form and its window at the end equal their golden
# snapshots (QUILLET_UPDATE_GOLDEN=1 rewrites them: look at them before committing them). Run
# again without its script, it ends by itself.
# Usage: demo_checks.sh QUILLET ENGINE SOURCE WORKDIR
set -u
quillet=$1 engine=$2 source=$3 work=$4/demo_checks
goldens="$(dirname "$0")/golden/demo"
rm -rf "$work" && mkdir -p "$work" || exit 1

fail() {
    echo "FAIL demo_checks: $*"
    exit 1
}

"$quillet" asm "$source" -o "$work/demo.img" || fail "assembly failed"
"$quillet" bind "$engine" "$work/demo.img" -o "$work/demo" || fail "bind failed"
: >"$work/debug"
cp "$(dirname "$source")/demo.input" "$work/input.txt" || fail "no input script"
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
form shown
form: picked Green
form: long tune 1
form: about answered 1
form: tune of 7 notes
form closed
key 32
Demo done
LOG
diff -u "$work/want-log.txt" "$work/debug" || fail "debug log differs"

# The badge the demo wrote is a real 72 x 48 PNG file.
[ "$(identify -format '%m %wx%h' "$work/demo-badge.png" 2>/dev/null)" = "PNG 72x48" ] ||
    fail "demo-badge.png is not a 72x48 PNG"

# The form with its About box, and the demo's window at the end.
for picture in form-Quillet_Demo_Form.png form-About_the_demo.png \
    exit-Quillet_BASIC_Amber_Edition.png; do
    actual="$work/snaps/$picture" golden="$goldens/$picture"
    [ -f "$actual" ] || fail "no snapshot $picture (have: $(ls "$work/snaps" 2>/dev/null))"
    if [ "${QUILLET_UPDATE_GOLDEN:-}" = 1 ]; then
        mkdir -p "$goldens" && cp "$actual" "$golden"
    elif ! cmp -s "$actual" "$golden"; then
        fail "snapshot $picture differs from its golden (actual: $actual)"
    fi
done
# Without its script the demo still ends: its form waits for events with GET EVENT's wait, and
# after a few of those waits passed with nothing but its own timers the session ends (QUIT, which
# the form allows).
rm -rf "$work/snaps" && : >"$work/debug"
(cd "$work" && QUILLET_CLOCK_READ_ONLY=1 QUILLET_BACKEND=headless QUILLET_INPUT= \
    timeout 60 ./demo >stdout.txt 2>stderr.txt)
status=$?
[ "$status" = 0 ] || { cat "$work/stderr.txt"; fail "without a script: exit status $status"; }
[ -s "$work/stderr.txt" ] && fail "without a script, standard error: $(cat "$work/stderr.txt")"
grep -qx "form: session ends" "$work/debug" || fail "without a script: no session end in the log"
echo "ok demo_checks"
