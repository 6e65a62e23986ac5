#!/bin/sh
# The clipboard on the SDL backend on a virtual X display, against another X client (xclip):
# clipboard.qba, bound to the engine, puts text with bytes above 127 and waits for a key while
# xclip reads the CLIPBOARD selection (UTF-8); xclip then owns the selection with text of its own,
# a key is typed, and the program's get must return that text (in Windows-1252); a picture put
# afterwards must leave the desktop no text and be read by xclip as a PNG file of the same
# pixels; then xclip owns the selection with a PNG file of its own, a key is typed, and the
# program's picture get must have its size and pixels. The program must end with status 0. X11
# selections live in their owner: a text put is readable only while the program runs, so each side is read
# while its owner still waits. Exits 77 (skipped) without xvfb-run, xdotool, xclip or python3.
# Usage: clipboard_sdl.sh QUILLET ENGINE WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
quillet=$1 engine=$2 work=$3/clipboard_sdl
for tool in xvfb-run xdotool xclip python3; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (packages xvfb, xdotool, xclip, python3)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
"$quillet" asm "$here/clipboard.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }
# What the program put, as UTF-8 ("Quillet to X: Grüße €"), and what xclip puts
# ("From xclip: Zoë™").
printf 'Quillet to X: Gr\303\274\303\237e \342\202\254' >"$work/want-from-program.txt"
printf 'From xclip: Zo\303\253\342\204\242' >"$work/from-xclip.txt"
# The program's 2 x 2 picture as xclip must read it (rows top first), and the 3 x 2 PNG file that
# xclip puts.
printf '2 2\nFF0000 FFFFFF\n0000FF 00FF00\n' >"$work/want-from-program-png.txt"
python3 "$here/png_pixels.py" write "$work/from-xclip.png" 3 2 112233 445566 778899 AABBCC 123456 \
    654321 || { echo "FAIL: cannot write a PNG file"; exit 1; }

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
# The picture is offered as a PNG file with the same pixels.
timeout 20 xclip -o -selection clipboard -t image/png >from-program.png 2>xclip-png.txt ||
    fail "xclip could not read the program's picture: $(cat xclip-png.txt)"
python3 "$2/png_pixels.py" read from-program.png >from-program-png.txt 2>&1 ||
    fail "the program's picture is no PNG file: $(cat from-program-png.txt)"
cmp -s from-program-png.txt want-from-program-png.txt ||
    fail "xclip read the picture as $(cat from-program-png.txt)"
# xclip owns the selection with a PNG file; the program gets it after the key.
xclip -i -quiet -selection clipboard -t image/png from-xclip.png >/dev/null 2>&1 &
xclip_pid=$!
tries=0
until xclip -o -selection clipboard -t image/png 2>/dev/null | cmp -s - from-xclip.png; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || fail "xclip did not take the selection with a picture"
    sleep 0.1
done
focus_and_type a
tries=0
until grep -q '^picture from the desktop' debug; do
    tries=$((tries + 1))
    [ $tries -lt 200 ] || fail "the program did not get the desktop's picture"
    sleep 0.1
done
kill $xclip_pid 2>/dev/null
type_until_exit clipboard_sdl $pid stderr.txt
SCRIPT
display_run() { xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work" "$here"; }
display_run || exit 1
# The debug log holds Windows-1252 bytes: e with diaeresis is 0xEB, the trade mark sign 0x99.
# The picture got is 88 bytes (24 + 40 + two rows of 12); its pixels are blue, green, red.
expected=$(printf 'from the desktop: From xclip: Zo\353\231\nafter a picture: []\npicture from the desktop: 88 [\063\042\021] [\041\103\145]')
got=$(grep -aE '^(from the desktop|after a picture|picture from the desktop)' "$work/debug")
[ "$got" = "$expected" ] || {
    echo "FAIL clipboard_sdl: the debug log holds"
    cat -v "$work/debug"
    exit 1
}
echo "ok clipboard_sdl"
