#!/bin/sh
# Builds the seed corpus of a fuzz entry from the tree's sources (a build step of fuzz/).
# usage: make_seeds.sh ENTRY QUILLET OUTDIR FILE...
#   image_reader, engine: every FILE.qba as an image and as a bound executable, plus truncated
#                         and corrupted copies of each image
#   disasm:               every FILE.qba as an image without its bif override table
#   asm:                  every FILE.qba and the disassembly of its image
#   compiler:             every FILE (a BASIC program) as it is
#   input_script:         the `; input:` lines of every FILE.qba as one script; every FILE.input
#   conversions:          a few operation sequences written here (no FILE)
#   path_mapping:         a few names written here (no FILE)
# A source that does not assemble is left out with a note: the seeds are a start for the
# fuzzer, and the program tests report such a source.
set -eu
entry=$1 quillet=$2 out=$3
shift 3
rm -rf "$out" && mkdir -p "$out"

assembled() { # SOURCE IMAGE: false, with a note, when the source does not assemble
    "$quillet" asm "$1" -o "$2" 2>/dev/null && return 0
    echo "make_seeds.sh: $1 does not assemble; left out of the $entry seeds" >&2
    return 1
}

images() {
    printf 'not an engine\n' >"$out/engine"
    for src in "$@"; do
        name=$(basename "$src" .qba)
        img="$out/$name.img"
        assembled "$src" "$img" || continue
        "$quillet" bind "$out/engine" "$img" -o "$out/$name.bound"
        size=$(wc -c <"$img")
        for cut in 1 39 40 2087 2088 $((size / 2)) $((size - 1)); do
            head -c "$cut" "$img" >"$out/$name.cut$cut"
        done
        # Overwrite single bytes through the header, the areas and the modules.
        for at in 3 8 12 20 28 30 36 $((size - 30)) $((size - 10)) $((size - 2)); do
            for value in 00 7f ff; do
                {
                    head -c "$at" "$img"
                    printf "\\$(printf '%03o' 0x$value)"
                    tail -c +$((at + 2)) "$img"
                } >"$out/$name.set$at.$value"
            done
        done
    done
    rm "$out/engine"
}

case $entry in
image_reader | engine) images "$@" ;;
disasm)
    for src in "$@"; do
        name=$(basename "$src" .qba)
        assembled "$src" "$out/$name.img" || continue
        { head -c 40 "$out/$name.img"; tail -c +2089 "$out/$name.img"; } >"$out/$name"
        rm "$out/$name.img"
    done
    ;;
asm)
    for src in "$@"; do
        name=$(basename "$src" .qba)
        cp "$src" "$out/$name.qba"
        assembled "$src" "$out/$name.img" || continue
        "$quillet" dis "$out/$name.img" -o "$out/$name.dis.qba"
        rm "$out/$name.img"
    done
    ;;
compiler) for src in "$@"; do cp "$src" "$out/"; done ;;
input_script)
    for src in "$@"; do
        case $src in
        *.qba)
            sed -n 's/^[[:space:]]*;[[:space:]]*input:[[:space:]]\{0,1\}//p' "$src" \
                >"$out/$(basename "$src" .qba).input"
            [ -s "$out/$(basename "$src" .qba).input" ] || rm "$out/$(basename "$src" .qba).input"
            ;;
        *) cp "$src" "$out/" ;;
        esac
    done
    ;;
conversions)
    # Operations as conversions_entry.cpp reads them: fast-path integers and texts, cells of
    # doubles, infinity and NaN packed, a scan of number texts, searches, bit fields, case changes.
    printf '\010\000\000\060\071\010\372\012\037\001\010\005\365\341\000\001\005\055\061\062\063\064\001\004\060\060\060\067\001\002\055\060\001\011\061\062\063\064\065\066\067\070\071\001\012\055\061\062\063\064\065\066\067\070\071\001\012\061\062\063\064\065\066\067\070\071\060\001\003\061\062\141\001\001\055' >"$out/integers"
    printf '\000\077\370\000\000\000\000\000\000\000\377\377\377\377\000\000\000\007\003\376\115\335\113\252\000\223\003\003\177\360\000\000\000\000\000\000\003\177\370\000\000\000\000\000\001\003\000\000\000\000\000\000\000\001' >"$out/doubles"
    printf '\002\066\061\060\040\130\075\061\056\065\105\053\063\072\040\120\122\111\116\124\040\042\141\042\042\142\042\054\040\061\062\145\040\056\065\040\063\056\064\056\065\040\101\044\040\074\076\040\076\075\040\042\157\160\145\156\002\017\061\062\063\064\065\066\067\040\061\105\055\067\040\071\170' >"$out/scan"
    printf '\004\006\142\141\156\141\156\141\003\141\156\141\000\000\000\003\004\006\142\141\156\141\156\141\000\377\377\377\371\004\004\141\141\141\142\003\141\141\142\177\377\377\377' >"$out/searches"
    printf '\005\004\101\102\103\104\000\000\000\005\014\377\377\377\375\005\002\101\102\000\000\000\144\364\000\000\000\007\025\003\170\171\172\000\000\000\002\001\002\003\004\015\000\000\000\000\001\000\000\000\050\377\377\377\377' >"$out/bit-fields"
    printf '\006\022\110\145\154\154\157\054\040\127\157\162\154\144\041\040\303\244\303\204\016\016\155\151\170\145\144\040\103\141\163\145\040\061\062\063' >"$out/cases"
    ;;
path_mapping)
    # A byte choosing the drive and the name buffer (path_mapping_entry.cpp), then the name.
    printf '\000\\SUB\\DATA.TXT' >"$out/drive-c"
    printf '\001sub/deeper/../DEEPER/file' >"$out/drive-c-lower"
    printf '\002MIXED//INNER/./../../A B.DIR\\NEW.TXT' >"$out/drive-d"
    printf '\003..\\OTHER\\README' >"$out/relative"
    printf '\004\303\251t\303\251/x\001y/README' >"$out/odd-bytes"
    printf '\000%s\\DATA.TXT' "$(printf '%0180d' 0 | tr 0 L)" >"$out/long-name"
    ;;
*)
    echo "make_seeds.sh: unknown entry $entry" >&2
    exit 2
    ;;
esac
