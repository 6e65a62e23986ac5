#!/bin/sh
# The key wait at program end on the SDL backend, on a virtual X display: the bound program opens
# its window, titled "Résumé €" in Windows-1252 (the desktop gets the title in UTF-8, as
# _NET_WM_NAME), and a key typed into it (xdotool) ends the program. Exits 77 (skipped) without
# xvfb-run, xdotool or xprop.
# Usage: end_wait_sdl.sh QUILLET ENGINE WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
quillet=$1 engine=$2 work=$3/end_wait_sdl
for tool in xvfb-run xdotool xprop; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (packages xvfb, xdotool, x11-utils)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
printf 'module main\n  routine main\n    local num n\n    bif engine_option "sdt", "R\\xE9sum\\xE9 \\x80", n\n    end_unit 1\nend\n' >"$work/prog.qba"
"$quillet" asm "$work/prog.qba" -o "$work/prog.img" &&
    "$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || { echo "FAIL: build"; exit 1; }

# On the display: start the program, wait for its window, type keys until it ends with status 0.
cat >"$work/on_display.sh" <<'SCRIPT'
cd "$1" || exit 1
. "$2/display_session.sh"
QUILLET_BACKEND=sdl ./prog >stdout.txt 2>stderr.txt &
pid=$!
find_named_window "R.*" end_wait_sdl $pid
# A window of that title that the program shows before its end's window may be gone by the time
# its title is read (a loaded machine once caught one): read the title of one that is there.
tries=0
until name=$(xprop -id "$window" _NET_WM_NAME 2>/dev/null); do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || { echo "FAIL end_wait_sdl: the window vanished"; kill $pid; exit 1; }
    sleep 0.1
    find_named_window "R.*" end_wait_sdl $pid
done
[ "$name" = '_NET_WM_NAME(UTF8_STRING) = "Résumé €"' ] ||
    { echo "FAIL end_wait_sdl: the window's title is $name"; kill $pid; exit 1; }
type_until_exit end_wait_sdl $pid stderr.txt
echo "ok end_wait_sdl"
SCRIPT
xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/on_display.sh" "$work" "$here/sdl_window"
