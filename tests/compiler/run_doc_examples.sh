#!/bin/sh
# Compiles and runs every example of a language page (docs/language.md) and compares what it
# does with what the page says it does, so that no example on the page can be wrong.
#
# An example is a fenced block tagged `basic` (a whole program), followed by the blocks that say
# what it does, in this order, with only blank lines between them:
#   ```input    optional: the program's standard input
#   ```text     its standard output, byte for byte (trailing blanks too: PRINT puts a blank
#               after every number); the run must end with status 0 and write nothing on
#               standard error, unless a stderr block follows
#   ```stderr   optional, after text: its standard error, byte for byte (the exit status is
#               then not checked: an uncaught exception ends the program with status 3)
# or, instead of input and text,
#   ```error    the compiler's diagnostics: the compilation must fail with status 1 and write
#               exactly this; the program is compiled as prog.bas, the name the messages show.
# A basic block without one of these after it is a fault of the page. Each example is compiled
# with `quillet compile --console` and run with standard output and standard error in files of
# their own, standard input from its input block or /dev/null, for at most 10 seconds.
# usage: run_doc_examples.sh QUILLET PAGE WORK_DIR
set -u
quillet=$1 page=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
# Each example runs in a folder of its own: the paths must not depend on the current one.
case $quillet in /*) ;; *) quillet=$PWD/$quillet ;; esac
work=$(cd "$work" && pwd) || exit 1

# Split the page into ex-N.bas, ex-N.in, ex-N.text, ex-N.stderr, ex-N.error and ex-N.where.
awk -v dir="$work" '
    function fence_kind(line) {
        if (line !~ /^```[a-z]*[[:space:]]*$/) return ""
        sub(/^```/, "", line); sub(/[[:space:]]*$/, "", line)
        return line == "" ? "end" : line
    }
    function fail(message) { printf "%s:%d: %s\n", FILENAME, NR, message; bad = 1; exit 1 }
    {
        kind = fence_kind($0)
        if (inside != "") {
            if (kind == "end") { close(file); state = inside; inside = ""; next }
            print > file
            next
        }
        # After a basic block: the blocks that describe it; after text: maybe stderr.
        if (state != "") {
            if ($0 ~ /^[[:space:]]*$/) next
            allowed = state == "basic" ? " input text error " : state == "input" ? " text " : \
                      state == "text" ? " stderr " : " "
            if (kind != "" && kind != "end" && index(allowed, " " kind " ")) {
                inside = kind
                file = sprintf("%s/ex-%d.%s", dir, n, kind)
                printf "" > file
                next
            }
            if (state == "basic" || state == "input")
                fail("example " n " (a basic block) has no text or error block after it")
            state = ""
        }
        if (kind == "basic") {
            n++
            inside = "basic"
            file = sprintf("%s/ex-%d.bas", dir, n)
            printf "" > file
            printf "%s:%d\n", FILENAME, NR + 1 > sprintf("%s/ex-%d.where", dir, n)
            close(sprintf("%s/ex-%d.where", dir, n))
        }
    }
    END {
        if (bad) exit 1
        if (inside != "") fail("a block that is not closed")
        if (state == "basic" || state == "input")
            fail("example " n " (a basic block) has no text or error block after it")
    }
' "$page" || exit 1

count=0 failed=0
while [ -f "$work/ex-$((count + 1)).bas" ]; do
    count=$((count + 1))
    ex=$work/ex-$count
    source=$ex.bas
    where=$(cat "$ex.where")
    dir=$ex.run
    mkdir -p "$dir" && cp "$source" "$dir/prog.bas" || exit 1
    problem=""
    (cd "$dir" && "$quillet" compile --console prog.bas -o prog 2>compile.err)
    status=$?
    if [ -f "$ex.error" ]; then
        if [ "$status" -ne 1 ]; then
            problem="compiled (status $status) where the page shows errors"
        elif ! cmp -s "$dir/compile.err" "$ex.error"; then
            problem="other diagnostics: diff $dir/compile.err $ex.error"
        fi
    elif [ "$status" -ne 0 ]; then
        problem="not compiled: $(head -1 "$dir/compile.err")"
    elif [ -s "$dir/compile.err" ]; then
        problem="the compiler wrote: $(head -1 "$dir/compile.err")"
    else
        input=/dev/null
        [ -f "$ex.input" ] && input=$ex.input
        (cd "$dir" && timeout 10 ./prog <"$input" >out.txt 2>err.txt)
        status=$?
        if [ "$status" -eq 124 ]; then
            problem="still running after 10 seconds"
        elif ! cmp -s "$dir/out.txt" "$ex.text"; then
            problem="other output: diff $dir/out.txt $ex.text"
        elif [ -f "$ex.stderr" ]; then
            cmp -s "$dir/err.txt" "$ex.stderr" ||
                problem="other standard error: diff $dir/err.txt $ex.stderr"
        elif [ "$status" -ne 0 ]; then
            problem="exit status $status: $(head -1 "$dir/err.txt")"
        elif [ -s "$dir/err.txt" ]; then
            problem="standard error: $(head -1 "$dir/err.txt")"
        fi
    fi
    if [ -n "$problem" ]; then
        failed=$((failed + 1))
        echo "FAIL $where: $problem"
    fi
done
[ "$count" -gt 0 ] || { echo "no examples found in $page"; exit 1; }
echo "$count examples, $failed failed"
[ "$failed" -eq 0 ]
