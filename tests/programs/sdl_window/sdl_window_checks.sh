#!/bin/sh
# The SDL window against the headless snapshot: drawing.qba, bound to the engine, runs headless
# (a snapshot while it waits for a key) and on the SDL backend on a virtual X display, where the
# window's pixels are taken from the X server (xwd) while it waits, before a key (xdotool) ends
# it. The client areas must be equal pixel for pixel (ImageMagick's compare). Exits 77 (skipped)
# when a tool is missing.
# Usage: sdl_window_checks.sh QUILLET ENGINE WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
quillet=$1 engine=$2 work=$3/sdl_window_checks
for tool in xvfb-run xdotool xwd convert compare; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "SKIPPED: $tool is not installed (packages xvfb, xdotool, x11-apps, imagemagick)"
        exit 77
    }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
"$quillet" asm "$here/drawing.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }
title=Quillet_BASIC_Amber_Edition

fail() {
    echo "FAIL sdl_window_checks: $*"
    exit 1
}

# Headless: the script's first command comes when the window is first shown, before the drawing;
# the snapshot after it comes at the key wait.
printf 'wait 0\nsnapshot waiting\nkey a\n' >"$work/input.txt"
(cd "$work" && QUILLET_BACKEND=headless QUILLET_INPUT=input.txt QUILLET_SNAPSHOT_DIR=snaps \
    timeout 60 ./prog >headless-stdout.txt 2>headless-stderr.txt) || fail "headless run failed"
headless="$work/snaps/waiting-$title.png"
[ -f "$headless" ] || fail "no headless snapshot"

# On the display: start the program, wait for its window (up to 60 s: this machine can stall for
# many seconds), take pictures of it until two in a row are equal (the drawing is done), type a
# key and check that the program ends with status 0.
cat >"$work/on_display.sh" <<'SCRIPT'
cd "$1" || exit 1
. "$2/display_session.sh"
QUILLET_BACKEND=sdl ./prog >sdl-stdout.txt 2>sdl-stderr.txt &
pid=$!
find_window sdl_window_checks $pid
i=0
rm -f previous.png
while [ $i -lt 60 ]; do
    sleep 0.5
    xwd -silent -id "$window" | convert xwd:- -define png:exclude-chunks=date,time png:sdl-window.png || exit 1
    [ -f previous.png ] && cmp -s previous.png sdl-window.png && break
    mv sdl-window.png previous.png
    i=$((i + 1))
done
[ -f sdl-window.png ] || { echo "FAIL sdl_window_checks: the window kept changing"; kill $pid; exit 1; }
type_until_exit sdl_window_checks $pid sdl-stderr.txt
SCRIPT
# A loaded machine can leave SDL without a connection to a display that is still starting (it then
# falls back to showing nothing): such a run is tried once more on a new display.
display_run() { xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work" "$here"; }
display_run || { echo "first run on the display failed, trying once more"; display_run; } || exit 1
sdl="$work/sdl-window.png"

# The SDL window is the client area alone; the snapshot adds the border on the left, right and
# bottom and the caption above.
size() { convert "$1" -format "$2" info:; }
width=$(size "$sdl" %w) height=$(size "$sdl" %h)
border=$(( ($(size "$headless" %w) - width) / 2 ))
top=$(( $(size "$headless" %h) - height - border ))
[ "$border" -ge 0 ] && [ "$top" -gt "$border" ] ||
    fail "the SDL window ($width x $height) does not fit the snapshot's frame"
convert "$headless" -crop "${width}x${height}+${border}+${top}" +repage "$work/headless-client.png"
convert "$sdl" "$work/sdl-client.png"
[ "$(size "$work/headless-client.png" %k)" -gt 5 ] || fail "the headless client area shows no drawing"

differing=$(compare -metric AE "$work/sdl-client.png" "$work/headless-client.png" \
    "$work/difference.png" 2>&1)
[ "$differing" = 0 ] ||
    fail "$differing pixels differ in the $width x $height client area (pictures in $work)"
echo "ok sdl_window_checks: the $width x $height client areas are equal"
