#!/bin/sh
# The splash picture: a QXSPLASH.BMP beside a bound program is shown at start-up (its window's
# snapshot at the end shows the picture at its top, the window taller than the picture by the
# title bar height the program reads from SYS_INFO), DISMISS SPLASH or a click in it removes it,
# and a missing or corrupt file shows nothing and reports nothing.
# Usage: splash_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/splash_checks
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
    echo "FAIL splash_checks: $*"
    failures=$((failures + 1))
}

# Builds $work/$1/prog from the body lines $2 of its main routine.
program() {
    mkdir -p "$work/$1"
    printf 'module main\n  routine main\n    local num unused\n%b    end_unit 0\nend\n' "$2" \
        >"$work/$1/prog.qba"
    "$quillet" asm "$work/$1/prog.qba" -o "$work/$1/prog.img" &&
        "$quillet" bind "$engine" "$work/$1/prog.img" -o "$work/$1/prog" || fail "$1: build"
}

# A 40 x 30 bitmap file, 24 bits, every pixel red.
red_bitmap() {
    python3 - "$1" <<'PY'
import struct, sys
w, h = 40, 30
row = b"\x00\x00\xff" * w
rows = row * h
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 54)
open(sys.argv[1], "wb").write(head + info + rows)
PY
}

# Runs $work/$1/prog headless, with the input script $2 when given.
run() {
    printf '%b' "${2:-}" >"$work/$1/input.txt"
    (cd "$work/$1" && QUILLET_BACKEND=headless QUILLET_INPUT=input.txt QUILLET_SNAPSHOT_DIR=snaps \
        timeout 60 ./prog >stdout.txt 2>stderr.txt) || fail "$1: exit status $?"
    [ -s "$work/$1/stderr.txt" ] && fail "$1: standard error: $(cat "$work/$1/stderr.txt")"
}

program shown '    local num n\n    local numarr answers (0 to 0)\n    local str part\n    reserve num e\n    bif object_call 9, n, "title bar height", part, answers\n    num_elem1 answers, 0, e\n    bif number_to_string e, part\n    bif engine_option "DEBUG", part, unused\n'
red_bitmap "$work/shown/QXSPLASH.BMP"
: >"$work/shown/debug"
run shown
title_bar=$(grep -x "[0-9][0-9]*" "$work/shown/debug" | tail -n 1)
shot="$work/shown/snaps/exit-untitled.png"
if [ -f "$shot" ] && [ "${title_bar:-0}" -gt 0 ]; then
    size=$(identify -format '%w %h' "$shot")
    set -- $size
    [ "$1" -ge 40 ] && [ "$1" -le 44 ] && [ "$2" -ge $((30 + title_bar)) ] &&
        [ "$2" -le $((34 + title_bar)) ] ||
        fail "shown: the splash window is $1 x $2 (title bar height $title_bar)"
    centre=$(convert "$shot" -format "%[pixel:p{$(($1 / 2)),15}]" info:)
    case $centre in
    red | "srgb(255,0,0)") ;;
    *) fail "shown: the splash shows $centre, not the red picture" ;;
    esac
    below=$(convert "$shot" -format "%[pixel:p{$(($1 / 2)),$(($2 - 5))}]" info:)
    case $below in
    red | "srgb(255,0,0)") fail "shown: the picture fills the whole window" ;;
    esac
elif [ -f "$shot" ]; then
    fail "shown: SYS_INFO gave no title bar height ($title_bar)"
else
    fail "shown: no splash window (snapshots: $(ls "$work/shown/snaps" 2>/dev/null))"
fi

program dismissed '    bif engine_option "DISMISS SPLASH", "", unused\n'
red_bitmap "$work/dismissed/QXSPLASH.BMP"
run dismissed
[ -f "$work/dismissed/snaps/exit-untitled.png" ] && fail "dismissed: the splash is still there"

program clicked '    bif pause 0.5\n'
red_bitmap "$work/clicked/QXSPLASH.BMP"
run clicked 'click 5 5\n'
[ -f "$work/clicked/snaps/exit-untitled.png" ] && fail "clicked: the splash is still there"

program corrupt ''
printf 'BM not a bitmap at all' >"$work/corrupt/QXSPLASH.BMP"
run corrupt
[ -n "$(ls "$work/corrupt/snaps" 2>/dev/null)" ] && fail "corrupt: a window was shown"

program missing ''
run missing
[ -n "$(ls "$work/missing/snaps" 2>/dev/null)" ] && fail "missing: a window was shown"

[ "$failures" = 0 ] && echo "ok splash_checks"
[ "$failures" = 0 ]
