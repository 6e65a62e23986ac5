#!/bin/sh
# The key wait at program end on the SDL backend, on a virtual X display: the bound program opens
# its window, a key typed into it (xdotool) ends the program. Exits 77 (skipped) without
# xvfb-run or xdotool.
# Usage: end_wait_sdl.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/end_wait_sdl
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (packages xvfb, xdotool)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
printf 'module main\n  routine main\n    end_unit 1\nend\n' >"$work/prog.qba"
"$quillet" asm "$work/prog.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }

# On the display: start the program, wait for its window (up to 60 s: this machine can stall for
# many seconds), type a key, and report the program's exit status; a program still running after
# 20 s of keys is a failure.
cat >"$work/on_display.sh" <<'SCRIPT'
cd "$1" || exit 1
QUILLET_BACKEND=sdl ./prog >stdout.txt 2>stderr.txt &
pid=$!
window=""
i=0
while [ -z "$window" ] && [ $i -lt 600 ]; do
    window=$(xdotool search --onlyvisible --name "Quillet BASIC Amber Edition" 2>/dev/null | head -n 1)
    [ -n "$window" ] || sleep 0.1
    i=$((i + 1))
done
[ -n "$window" ] || {
    echo "FAIL end_wait_sdl: no window appeared"
    kill $pid
    cat stderr.txt
    exit 1
}
i=0
while kill -0 $pid 2>/dev/null && [ $i -lt 20 ]; do
    # Without a window manager the focus is given directly, as the host's Xvfb test does.
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key a
    sleep 1
    i=$((i + 1))
done
if kill -0 $pid 2>/dev/null; then
    echo "FAIL end_wait_sdl: the program kept waiting after keys were typed"
    kill $pid
    exit 1
fi
wait $pid
status=$?
[ "$status" = 0 ] || { echo "FAIL end_wait_sdl: exit status $status"; cat stderr.txt; exit 1; }
echo "ok end_wait_sdl"
SCRIPT
xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work"
