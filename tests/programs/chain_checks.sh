#!/bin/sh
# Chaining (bif 372): a bound program chains to a second bound program with an argument text,
# which the second reads back through bif 106 together with a file handle that stayed open;
# the second then chains to a missing program, and a third run chains to a file that is not a
# bound program: both stop with a fatal message that names the file.
# Usage: chain_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/chain_checks
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
    echo "FAIL chain_checks: $*"
    failures=$((failures + 1))
}

for name in first second; do
    "$quillet" asm "$here/chain/$name.qba" -o "$work/$name.img" || exit 1
    "$quillet" bind "$engine" "$work/$name.img" -o "$work/$name" || exit 1
done
: >"$work/debug"
(cd "$work" && QUILLET_BACKEND=headless timeout 60 ./first >stdout.txt 2>stderr.txt)
status=$?
[ "$status" = 3 ] || fail "exit status $status, expected 3 (a fatal stop)"
printf '%s\n' 'fatal stop "CHAIN: cannot open the program "missing-program""' \
    'fatal: CHAIN: cannot open the program "missing-program"' >"$work/want-stderr.txt"
diff -u "$work/want-stderr.txt" "$work/stderr.txt" || fail "standard error differs"
printf '%s\n' "first program chains" "alpha beta 3" "kept open" \
    'fatal stop "CHAIN: cannot open the program "missing-program""' >"$work/want-log.txt"
# The handle number is the host's; compare the log with it replaced.
sed 's/^alpha beta [0-9]*$/alpha beta 3/' "$work/debug" >"$work/log.txt"
diff -u "$work/want-log.txt" "$work/log.txt" || fail "debug log differs"

# A chain to a file that is not a bound program.
rm -f "$work/second"
cp "$work/first.img" "$work/SECOND"
(cd "$work" && QUILLET_BACKEND=headless timeout 60 ./first >stdout.txt 2>stderr.txt)
status=$?
[ "$status" = 3 ] || fail "not bound: exit status $status, expected 3"
printf '%s\n' 'fatal stop "CHAIN: "SECOND" is not a bound program"' \
    'fatal: CHAIN: "SECOND" is not a bound program' >"$work/want-stderr.txt"
diff -u "$work/want-stderr.txt" "$work/stderr.txt" || fail "not bound: standard error differs"

[ $failures = 0 ] && echo "ok chain_checks"
[ $failures = 0 ]
