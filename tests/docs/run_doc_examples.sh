#!/bin/sh
# Every ```qba block of the pages in docs/ is a whole program: each is extracted and run as a
# program test (run_program_test.sh), with the expectations written in its comments, so that
# an example on those pages can never be wrong.
# Usage: run_doc_examples.sh QUILLET ENGINE DOCS_DIR WORKDIR
set -u
quillet=$1 engine=$2 docs=$3 work=$4
here=$(dirname "$0")
rm -rf "$work" && mkdir -p "$work/sources" || exit 1

count=0
for page in "$docs"/*.md; do
    base=$(basename "$page" .md)
    awk -v out="$work/sources/$base" '
        /^```qba[[:space:]]*$/ { n++; file = sprintf("%s-%d.qba", out, n); inside = 1; next }
        /^```/ && inside { inside = 0; close(file); next }
        inside { print > file }
    ' "$page" || exit 1
done

failed=0
for example in "$work"/sources/*.qba; do
    [ -e "$example" ] || continue
    count=$((count + 1))
    sh "$here/../programs/run_program_test.sh" "$quillet" "$engine" "$example" "$work/runs" ||
        failed=$((failed + 1))
done
[ "$count" -gt 0 ] || { echo "no examples found in $docs"; exit 1; }
echo "$count examples, $failed failed"
[ "$failed" = 0 ]
