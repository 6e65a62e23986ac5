#!/bin/sh
# Assemble, disassemble, assemble again: the two images must be identical, for every file.
# usage: round_trip.sh QUILLET WORKDIR FILE.qba...
set -eu
quillet=$1 work=$2
shift 2
rm -rf "$work" && mkdir -p "$work"
for src in "$@"; do
    name=$(basename "$src" .qba)
    "$quillet" asm "$src" -o "$work/$name.img"
    "$quillet" dis "$work/$name.img" -o "$work/$name.dis.qba"
    "$quillet" asm "$work/$name.dis.qba" -o "$work/$name.again.img"
    cmp "$work/$name.img" "$work/$name.again.img"
    # The disassembly of the disassembly is the same text.
    "$quillet" dis "$work/$name.again.img" | sed 1d >"$work/$name.dis2"
    sed 1d "$work/$name.dis.qba" | cmp - "$work/$name.dis2"
    echo "round trip ok: $name"
done
