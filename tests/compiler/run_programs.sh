#!/bin/sh
# Runs BASIC programs (the NBS Minimal BASIC programs, our own) and assembly programs that link
# the runtime library: each is compiled in console mode
# and run with standard output in a file, which must equal the program's .ok file; standard
# input is the program's .in file when it has one, and standard error must equal its .err file
# when it has one. A program whose .ok is empty is one
# a processor must reject: the compiler must refuse it (exit status 1) with a diagnostic naming a
# line. Programs listed in the known-failures file (NAME reason) are expected to fail; one that
# passes must be taken off the list.
# A program generator (NAME.gen, a shell script) writes its BASIC program at test time, for
# programs too large to keep in the tree; the program is then compiled and run as the others.
# Only the programs whose names begin with PREFIX when it is given, so that a large folder can be
# run as several tests side by side.
# With DIGITS set (the NBS programs: their reference prints six significant digits where PRINT
# here may print more), a line that differs still matches when it has the same words, each
# number of it agrees with the other's to DIGITS significant digits, and its blanks are the
# same but where a number of another length moved the columns until a zone or TAB brings them
# together again.
# usage: [DIGITS=N] run_programs.sh QUILLET PROGRAM_DIR WORK_DIR KNOWN_FAILURES [PREFIX]
set -u
quillet=$1 nbs=$2 work=$3 known=$4 prefix=${5:-} digits=${DIGITS:-}
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
# Whether OUTPUT matches EXPECTED: byte for byte, or as DIGITS allows.
same_output() { # OUTPUT EXPECTED
    cmp -s "$1" "$2" && return 0
    [ -n "$digits" ] || return 1
    [ "$(wc -l <"$1")" -eq "$(wc -l <"$2")" ] || return 1
    paste -d '\n' "$1" "$2" | awk -v digits="$digits" '
        function word(w) {
            if (w ~ /^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([Ee][-+]?[0-9]+)?$/)
                return sprintf("%." (digits - 1) "e", w + 0)
            return w
        }
        # The runs of blanks and of other characters of s, in order, into t; their count.
        function runs(s, t,   n) {
            n = 0
            while (length(s) > 0) {
                if (match(s, /^[ \t]+/) || match(s, /^[^ \t]+/)) {
                    t[++n] = substr(s, 1, RLENGTH)
                    s = substr(s, RLENGTH + 1)
                }
            }
            return n
        }
        # Words agree as word() has them. A run of blanks is the same, or it differs only
        # where an earlier number written at another length moved the columns and it brings
        # them together again (the next zone or TAB), so that spacing still counts.
        NR % 2 == 1 { out = $0; next }
        out != $0 {
            n = runs(out, a); m = runs($0, b)
            if (n != m) exit 1
            ca = 0; cb = 0
            for (i = 1; i <= n; i++) {
                if (a[i] != b[i]) {
                    blank = a[i] ~ /^[ \t]/
                    if (blank != (b[i] ~ /^[ \t]/)) exit 1
                    if (blank) {
                        if (ca == cb || ca + length(a[i]) != cb + length(b[i])) exit 1
                    } else if (word(a[i]) != word(b[i])) exit 1
                }
                ca += length(a[i]); cb += length(b[i])
            }
        }'
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
        if ! same_output "$work/$name.out" "$ok"; then
            result="fail (output differs: diff $work/$name.out $ok)"
        elif [ -f "$nbs/$name.err" ] && ! cmp -s "$work/$name.stderr" "$nbs/$name.err"; then
            result="fail (standard error differs: diff $work/$name.stderr $nbs/$name.err)"
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
