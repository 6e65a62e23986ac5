#!/bin/sh
# The clipboard on the SDL backend on a virtual X display, against another X client (xclip):
# clipboard.qba, bound to the engine, puts text with bytes above 127 and waits for a key while
# xclip reads the CLIPBOARD selection (UTF-8); xclip then owns the selection with text of its own,
# a key is typed, and the program's get must return that text (in Windows-1252); a picture put
# afterwards must leave the desktop no text. The program must end with status 0. X11 selections
# live in their owner: a text put is readable only while the program runs, so each side is read
# while its owner still waits. Exits 77 (skipped) without xvfb-run, xdotool or xclip.
# Usage: clipboard_sdl.sh QUILLET ENGINE WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
quillet=$1 engine=$2 work=$3/clipboard_sdl
for tool in xvfb-run xdotool xclip; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (packages xvfb, xdotool, xclip)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
"$quillet" asm "$here/clipboard.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }
# What the program put, as UTF-8 ("Quillet to X: Grüße €"), and what xclip puts
# ("From xclip: Zoë™").
printf 'Quillet to X: Gr\303\274\303\237e \342\202\254' >"$work/want-from-program.txt"
printf 'From xclip: Zo\303\253\342\204\242' >"$work/from-xclip.txt"

cat >"$work/on_display.sh" <<'SCRIPT'
cd "$1" || exit 1
. "$2/display_session.sh"
fail() { echo "FAIL clipboard_sdl: $*"; kill $pid 2>/dev/null; [ -z "${xclip_pid:-}" ] || kill $xclip_pid; exit 1; }
: >debug
QUILLET_BACKEND=sdl ./prog >stdout.txt 2>stderr.txt &
pid=$!
find_window clipboard_sdl $pid
# The program owns the selection while it waits for the key; it answers xclip's request.
timeout 20 xclip -o -selection clipboard -t UTF8_STRING >from-program.txt 2>xclip-o.txt ||
    fail "xclip could not read the program's text: $(cat xclip-o.txt)"
cmp -s from-program.txt want-from-program.txt || fail "xclip read \"$(cat from-program.txt)\""
# xclip keeps the selection in the foreground (-quiet) until the program takes it back.
xclip -i -quiet -selection clipboard -t UTF8_STRING from-xclip.txt >/dev/null 2>&1 &
xclip_pid=$!
tries=0
until [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$(cat from-xclip.txt)" ]; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || fail "xclip did not take the selection"
    sleep 0.1
done
focus_and_type a
# The picture put makes the program the owner again, with no text: xclip leaves.
tries=0
until grep -q '^after a picture' debug; do
    tries=$((tries + 1))
    [ $tries -lt 200 ] || fail "the program did not get the desktop's text"
    sleep 0.1
done
timeout 20 xclip -o -selection clipboard -t UTF8_STRING >after-picture.txt 2>/dev/null
[ ! -s after-picture.txt ] || fail "the desktop still offers \"$(cat after-picture.txt)\""
kill $xclip_pid 2>/dev/null
type_until_exit clipboard_sdl $pid stderr.txt
SCRIPT
display_run() { xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work" "$here"; }
display_run || exit 1
# The debug log holds Windows-1252 bytes: e with diaeresis is 0xEB, the trade mark sign 0x99.
expected=$(printf 'from the desktop: From xclip: Zo\353\231\nafter a picture: []')
got=$(grep -aE '^(from the desktop|after a picture)' "$work/debug")
[ "$got" = "$expected" ] || {
    echo "FAIL clipboard_sdl: the debug log holds"
    cat -v "$work/debug"
    exit 1
}
echo "ok clipboard_sdl"
