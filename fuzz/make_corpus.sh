#!/bin/sh
# Builds the fuzz corpus: every assembly corpus file as an image and as a bound executable,
# plus truncated and corrupted copies of each image.
# usage: make_corpus.sh QUILLET OUTDIR FILE.qba...
set -eu
quillet=$1 out=$2
shift 2
rm -rf "$out" && mkdir -p "$out"
printf 'not an engine\n' >"$out/engine"
for src in "$@"; do
    name=$(basename "$src" .qba)
    img="$out/$name.img"
    "$quillet" asm "$src" -o "$img"
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
