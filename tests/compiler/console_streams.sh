#!/bin/sh
# Console programs read and write the standard streams in order, whatever they are: pipes at
# both ends, standard output and standard error in one file (each line where it was written),
# and a terminal (a pseudo-terminal, typed at the prompts), where the typed line is shown once,
# by the terminal, not again by the program.
# usage: console_streams.sh QUILLET WORK_DIR
set -u
quillet=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failed=0
check() { # WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
        failed=1
    fi
}
cat >greet.bas <<'BAS'
LINE INPUT PROMPT "Name: ": who$
INPUT n
LET z = 0
PRINT "Hello, "; who$; n * 2; 1 / z
END
BAS
"$quillet" compile --console greet.bas -o greet || exit 1

# Pipes: the input arrives in pieces, the output goes on into another program.
out=$( (printf 'Ann\n'; sleep 0.3; printf '21\n') | ./greet 2>/dev/null | cat)
check "pipes" "Name: Ann
? 21
Hello, Ann 42  INF " "$out"

# Standard output and standard error into one file: the warning stands between the lines.
printf 'Bo\n4\n' | ./greet >both.txt 2>&1
check "one file" "Name: Bo
? 4
line 4: warning: division by zero; the result is infinity
Hello, Bo 8  INF " "$(cat both.txt)"

# A terminal: what is typed is echoed by the terminal alone.
out=$(python3 "$here/type_at_prompts.py" ./greet "Name: " Cy "? " 5)
check "terminal" "Name: Cy
? 5
line 4: warning: division by zero; the result is infinity
Hello, Cy 10  INF " "$out"
exit $failed
