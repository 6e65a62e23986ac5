#!/bin/sh
# Dialog boxes on the SDL backend on a virtual X display: dialogs.qba, bound to the engine, shows
# a message box (Tab from its default first button to the second, then Space) and an input box (a
# name typed into its field; Tab through both buttons back into the field, whose text it selects,
# a second name typed over it; Shift+Tab back to the first button, Tab to the second, Space), each
# answered with real X keys (xdotool); the debug log must hold both answers and the program must
# end with status 0. Exits 77 (skipped) without xvfb-run or xdotool.
# Usage: dialogs_sdl.sh QUILLET ENGINE WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
quillet=$1 engine=$2 work=$3/dialogs_sdl
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (packages xvfb, xdotool)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
"$quillet" asm "$here/dialogs.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }

cat >"$work/on_display.sh" <<'SCRIPT'
cd "$1" || exit 1
. "$2/display_session.sh"
: >debug
QUILLET_BACKEND=sdl ./prog >stdout.txt 2>stderr.txt &
pid=$!
find_named_window Notice dialogs_sdl $pid
focus_and_type Tab space
find_named_window Input dialogs_sdl $pid
focus_and_type
xdotool type --delay 50 "Zoe"
xdotool key --delay 100 Tab Tab Tab
xdotool type --delay 50 "Ann"
xdotool key --delay 100 shift+Tab shift+Tab Tab space
# The program ends, or waits for a key in its window when it showed one.
tries=0
while kill -0 $pid 2>/dev/null && [ $tries -lt 50 ]; do sleep 0.2; tries=$((tries + 1)); done
if kill -0 $pid 2>/dev/null; then
    find_window dialogs_sdl $pid
    type_until_exit dialogs_sdl $pid stderr.txt
else
    wait $pid || { echo "FAIL dialogs_sdl: exit status $?"; cat stderr.txt; exit 1; }
fi
SCRIPT
display_run() { xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work" "$here"; }
display_run || exit 1
expected='message box: result 2
input box: result 2, field Ann'
got=$(grep -E '^(message|input) box' "$work/debug")
[ "$got" = "$expected" ] || {
    echo "FAIL dialogs_sdl: the debug log holds"
    cat "$work/debug"
    exit 1
}
echo "ok dialogs_sdl"
