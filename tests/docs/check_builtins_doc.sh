#!/bin/sh
# The built-in functions in docs/language.md against their table, compiler/builtins.def: each
# name and argument count of the table has its form in the first column of the section
# "Built-in functions" (`POS(A$, B$)`, `PI`), and each form there is a row of the table. A row
# whose arguments end with `*` (that many or more) is a form ending with `...` (`USING$(F$, X,
# ...)`): NAME/N+ in both lists.
# usage: check_builtins_doc.sh SOURCE_DIR WORK_DIR
set -u
root=$1 work=$2
mkdir -p "$work" || exit 1
sed -n 's/^QUILLET_BUILTIN("\([^"]*\)", "\([NS*]*\)".*/\1 \2/p' "$root/compiler/builtins.def" |
    awk '{ print $1 "/" length($2) ($2 ~ /\*$/ ? "+" : "") }' | sort >"$work/table.txt"
sed -n '/^## Built-in functions/,/^## /p' "$root/docs/language.md" |
    awk -F'|' '/^\| `/ {
        n = split($2, spans, "`")
        for (i = 2; i <= n; i += 2) {
            form = spans[i]
            open = index(form, "(")
            if (open == 0) { print form "/0"; continue }
            name = substr(form, 1, open - 1)
            if (form ~ /\.\.\.\)$/) print name "/" gsub(",", ",", form) "+"
            else print name "/" (gsub(",", ",", form) + 1)
        }
    }' | sort >"$work/documented.txt"
if [ ! -s "$work/table.txt" ] || [ ! -s "$work/documented.txt" ]; then
    echo "no functions found in the table or in the section"
    exit 1
fi
if ! diff -u "$work/table.txt" "$work/documented.txt"; then
    echo "docs/language.md (Built-in functions) and compiler/builtins.def differ: - table only, + docs only"
    exit 1
fi
echo "$(wc -l <"$work/table.txt") functions documented"
