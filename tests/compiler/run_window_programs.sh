#!/bin/sh
# Runs windowed BASIC programs (compiled without --console) on the headless backend and checks
# the text console they leave in the default window. For each PROGRAM_DIR/NAME.bas:
#   NAME.script  optional: the headless input script (the keys typed at INPUT)
#   NAME.screen  the text the window must show at the program's end, line k on text row k
# The program's exit picture must equal, pixel for pixel, the one screen.qba leaves when it
# draws NAME.screen row by row and ends as a windowed program does ("Press any key."); the
# program must end with status 0 and write nothing on standard output or standard error.
# The screen is 400x300, so the window shows 10 rows of 40 characters.
# usage: run_window_programs.sh QUILLET PROGRAM_DIR WORK_DIR
set -u
quillet=$1 dir=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
work=$(cd "$work" && pwd) || exit 1
export QUILLET_BACKEND=headless QUILLET_SCREEN=400x300
unset QUILLET_INPUT
"$quillet" asm "$dir/screen.qba" -o "$work/screen.img" &&
    "$quillet" bind "$work/screen.img" -o "$work/screen" || exit 1
picture=exit-Quillet_BASIC_Amber_Edition.png
failed=0
for source in "$dir"/*.bas; do
    name=$(basename "$source" .bas)
    out="$work/$name"
    mkdir -p "$out"
    result=pass
    if ! "$quillet" compile "$source" -o "$out/prog" 2>"$out/compile.err"; then
        result="not compiled: $(head -1 "$out/compile.err")"
    else
        script=/dev/null
        [ -f "$dir/$name.script" ] && script="$dir/$name.script"
        (cd "$out" && QUILLET_INPUT="$script" QUILLET_SNAPSHOT_DIR=got timeout 60 ./prog \
            >stdout.txt 2>stderr.txt)
        status=$?
        (cd "$out" && QUILLET_SNAPSHOT_DIR=want timeout 60 "$work/screen" "$dir/$name.screen" \
            >/dev/null 2>&1)
        if [ $status -ne 0 ]; then
            result="exit status $status"
        elif [ -s "$out/stdout.txt" ] || [ -s "$out/stderr.txt" ]; then
            result="wrote output: see $out/stdout.txt and $out/stderr.txt"
        elif [ ! -f "$out/got/$picture" ]; then
            result="no exit picture (the window was never shown)"
        elif ! cmp -s "$out/got/$picture" "$out/want/$picture"; then
            result="the window differs from $name.screen: compare $out/got/$picture with $out/want/$picture"
        fi
    fi
    echo "$name: $result"
    # Bound programs are large: only a failing one is kept.
    if [ "$result" = pass ]; then rm -f "$out/prog"; else failed=1; fi
done
rm -f "$work/screen"
exit $failed
