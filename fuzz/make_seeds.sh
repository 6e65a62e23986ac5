#!/bin/sh
# Builds the seed corpus of a fuzz entry from the tree's sources (a build step of fuzz/).
# usage: make_seeds.sh ENTRY QUILLET OUTDIR FILE...
#   image_reader, engine: every FILE.qba as an image and as a bound executable, plus truncated
#                         and corrupted copies of each image
#   disasm:               every FILE.qba as an image without its bif override table
#   asm:                  every FILE.qba and the disassembly of its image
#   input_script:         the `; input:` lines of every FILE.qba as one script; every FILE.input
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
*)
    echo "make_seeds.sh: unknown entry $entry" >&2
    exit 2
    ;;
esac
