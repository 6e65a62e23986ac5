#!/bin/sh
# Runs BASIC programs (the NBS Minimal BASIC programs, our own) and assembly programs that link
# the runtime library: each is compiled in console mode
# and run with standard output in a file, which must equal the program's .ok file; standard
# input is the program's .in file when it has one. A program whose .ok is empty is one
# a processor must reject: the compiler must refuse it (exit status 1) with a diagnostic naming a
# line. Programs listed in the known-failures file (NAME reason) are expected to fail; one that
# passes must be taken off the list.
# A program generator (NAME.gen, a shell script) writes its BASIC program at test time, for
# programs too large to keep in the tree; the program is then compiled and run as the others.
# Only the programs whose names begin with PREFIX when it is given, so that a large folder can be
# run as several tests side by side.
# usage: run_programs.sh QUILLET PROGRAM_DIR WORK_DIR KNOWN_FAILURES [PREFIX]
set -u
quillet=$1 nbs=$2 work=$3 known=$4 prefix=${5:-}
rm -rf "$work" && mkdir -p "$work" || exit 1
passed=0 failed=0 unexpected=""
# An assembly program (.qba) is assembled with the runtime library linked and bound.
build() { # SOURCE OUTPUT
    case "$1" in
    *.qba) "$quillet" asm --library "$1" -o "$2.img" && "$quillet" bind "$2.img" -o "$2" ;;
    *.gen) sh "$1" >"$2.bas" && "$quillet" compile --console "$2.bas" -o "$2" ;;
    *) "$quillet" compile --console "$1" -o "$2" ;;
    esac
}
for source in "$nbs/$prefix"*.BAS "$nbs/$prefix"*.bas "$nbs/$prefix"*.qba "$nbs/$prefix"*.gen; do
    [ -f "$source" ] || continue
    name=$(basename "$source"); name=${name%.*}
    input=/dev/null
    [ -f "$nbs/$name.in" ] && input="$nbs/$name.in"
    ok="$nbs/$name.ok"
    listed=$(grep -c "^$name " "$known")
    result=pass
    if [ ! -s "$ok" ]; then
        if build "$source" "$work/$name" 2>"$work/$name.err"; then
            result="fail (compiled a program that must be rejected)"
        elif ! grep -q "^$source:[0-9]*:[0-9]*: error: " "$work/$name.err"; then
            result="fail (rejected without a diagnostic naming a line)"
        fi
    elif ! build "$source" "$work/$name" 2>"$work/$name.err"; then
        result="fail (not compiled: $(head -1 "$work/$name.err"))"
    else
        (cd "$work" && "./$name" >"$name.out" 2>"$name.stderr" <"$input")
        if ! cmp -s "$work/$name.out" "$ok"; then
            result="fail (output differs: diff $work/$name.out $ok)"
        fi
    fi
    if [ "$result" = pass ]; then
        passed=$((passed + 1))
        [ "$listed" -gt 0 ] && unexpected="$unexpected\n$name passes: take it off $known"
    else
        failed=$((failed + 1))
        [ "$listed" -eq 0 ] && unexpected="$unexpected\n$name: $result"
    fi
done
echo "programs: $passed pass, $failed fail"
if [ -n "$unexpected" ]; then
    printf "unexpected:%b\n" "$unexpected"
    exit 1
fi
