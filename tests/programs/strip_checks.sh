#!/bin/sh
# A bound program keeps its image when strip or objcopy rewrite it and drop the trailer: the
# engine finds the image in its ELF section. The trailer form stays readable by tools that only
# know it, binding again gives the same bytes, a chain reaches a stripped program, and a damaged
# or forged image section is refused.
# Usage: strip_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/strip_checks
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
    echo "FAIL strip_checks: $*"
    failures=$((failures + 1))
}

# Runs the executable $1 headless beside an empty debug log; checks exit status $2, that the
# standard error is empty and that the log holds the one line $3.
expect_runs() {
    dir=$(dirname "$1")
    : >"$dir/debug"
    (cd "$dir" && QUILLET_BACKEND=headless timeout 60 "./$(basename "$1")" >stdout.txt 2>stderr.txt)
    status=$?
    [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2: $(cat "$dir/stderr.txt")"
    [ -s "$dir/stderr.txt" ] && fail "$1: standard error: $(cat "$dir/stderr.txt")"
    [ "$(cat "$dir/debug")" = "$3" ] || fail "$1: debug log '$(cat "$dir/debug")', expected '$3'"
}

# Runs the executable $1 headless; it must stop as a malformed image whose message holds $2.
expect_refused() {
    dir=$(dirname "$1")
    (cd "$dir" && QUILLET_BACKEND=headless timeout 60 "./$(basename "$1")" >stdout.txt 2>stderr.txt)
    status=$?
    [ "$status" = 3 ] || fail "$1: exit status $status, expected 3: $(cat "$dir/stderr.txt")"
    grep -q "^fatal: malformed image: .*$2" "$dir/stderr.txt" ||
        fail "$1: not refused for '$2': $(cat "$dir/stderr.txt")"
}

ends_with_trailer() { [ "$(tail -c 9 "$1" | tr -d '\000')" = OS2Magic ]; }

for name in prog second; do
    cat >"$work/$name.qba" <<PROGRAM
module main
  routine main name "Main program"
    local num unused
    bif engine_option "DEBUG", "$name ran", unused
    end_unit 0
end
PROGRAM
    "$quillet" asm "$work/$name.qba" -o "$work/$name.img" || exit 1
done
"$quillet" bind "$engine" "$work/prog.img" -o "$work/prog" || exit 1
mkdir -p "$work/bound" && cp "$work/prog" "$work/bound/prog"
expect_runs "$work/bound/prog" 0 "prog ran"

# Tools that know only the trailer find the image right before it.
size=$(wc -c <"$work/prog.img")
ends_with_trailer "$work/prog" || fail "the bound program does not end with the trailer"
tail -c $((size + 14)) "$work/prog" | head -c "$size" | cmp -s - "$work/prog.img" ||
    fail "the image does not end right before the trailer"

# Binding again, to the bound program, gives the same bytes.
"$quillet" bind "$work/prog" "$work/prog.img" -o "$work/again" 2>/dev/null
cmp -s "$work/prog" "$work/again" || fail "binding a bound program again changed its bytes"

# Debian's packaging strips with the options of the second line.
n=0
for tool in "strip" "strip --remove-section=.comment --remove-section=.note" \
    "strip --strip-unneeded" "objcopy" "objcopy --strip-debug"; do
    n=$((n + 1))
    mkdir -p "$work/tool$n"
    out="$work/tool$n/prog"
    case "$tool" in
    strip*) $tool -o "$out" "$work/prog" ;;
    objcopy*) $tool "$work/prog" "$out" ;;
    esac || { fail "$tool failed"; continue; }
    ends_with_trailer "$out" && fail "$tool kept the trailer: the test proves nothing"
    expect_runs "$out" 0 "prog ran"
    "$quillet" unbind "$out" -o "$work/tool$n/back.img" && cmp -s "$work/tool$n/back.img" "$work/prog.img" ||
        fail "unbind after $tool did not give the image back"
    "$quillet" dis "$out" | grep -q "string \"prog ran\"" || fail "dis after $tool"
done

# A stripped program bound again holds one image section, the new image, and strips alike.
"$quillet" bind "$work/tool1/prog" "$work/second.img" -o "$work/tool1/rebound" 2>/dev/null
[ "$(readelf -S -W "$work/tool1/rebound" | grep -c '\.quillet_image')" = 1 ] ||
    fail "rebinding a stripped program left $(readelf -S -W "$work/tool1/rebound" | grep -c '\.quillet_image') image sections"
expect_runs "$work/tool1/rebound" 0 "second ran"

# A chain to a stripped program.
mkdir -p "$work/chain"
cat >"$work/chain/first.qba" <<'PROGRAM'
module main
  routine main name "Main program"
    bif chain "SECOND", ""
    cause 1, "the first program went on after the chain"
end
PROGRAM
"$quillet" asm "$work/chain/first.qba" -o "$work/chain/first.img" &&
    "$quillet" bind "$engine" "$work/chain/first.img" -o "$work/chain/first" &&
    "$quillet" bind "$engine" "$work/second.img" -o "$work/chain/second.bound" &&
    strip -o "$work/chain/second" "$work/chain/second.bound" || exit 1
expect_runs "$work/chain/first" 0 "second ran"

# Damaged and forged section tables of a stripped program. The program is ELF64 or ELF32,
# little-endian, as the engine was built.
forge() { # forge NAME WHAT: writes $work/forged/NAME, the stripped program changed as WHAT says
    python3 - "$work/tool1/prog" "$work/forged/$1" "$2" <<'PYTHON'
import struct, sys
source, target, what = sys.argv[1:]
b = bytearray(open(source, "rb").read())
wide = b[4] == 2
word = "<Q" if wide else "<I"
shoff = struct.unpack_from(word, b, 40 if wide else 32)[0]
shnum, shstrndx = struct.unpack_from("<HH", b, 60 if wide else 48)
entry = 64 if wide else 40
f_offset, f_size = (24, 32) if wide else (16, 20)
header = lambda i: shoff + i * entry
names = struct.unpack_from(word, b, header(shstrndx) + f_offset)[0]
def name(i):
    at = names + struct.unpack_from("<I", b, header(i))[0]
    return bytes(b[at:b.index(0, at)])
own = next(i for i in range(shnum) if name(i) == b".quillet_image")
if what == "size past the end":
    struct.pack_into(word, b, header(own) + f_size, len(b))
elif what == "offset past the end":
    struct.pack_into(word, b, header(own) + f_offset, (1 << (64 if wide else 32)) - 8)
elif what == "no bytes":
    struct.pack_into("<I", b, header(own) + 4, 8)  # SHT_NOBITS
elif what == "two sections":
    struct.pack_into("<I", b, header(1), struct.unpack_from("<I", b, header(own))[0])
elif what == "name outside the table":
    struct.pack_into("<I", b, header(own), 1 << 30)
elif what == "table outside the file":
    struct.pack_into(word, b, 40 if wide else 32, len(b) - 10)
open(target, "wb").write(b)
PYTHON
    chmod +x "$work/forged/$1"
}
mkdir -p "$work/forged"
forge size "size past the end" && expect_refused "$work/forged/size" "runs past the end of the file"
forge offset "offset past the end" && expect_refused "$work/forged/offset" "runs past the end of the file"
forge nobits "no bytes" && expect_refused "$work/forged/nobits" "section holds no bytes"
forge two "two sections" && expect_refused "$work/forged/two" "two .quillet_image sections"
forge name "name outside the table" && expect_refused "$work/forged/name" "outside the section-name table"
forge table "table outside the file" && expect_refused "$work/forged/table" "section table lies outside the file"
"$quillet" unbind "$work/forged/size" -o "$work/forged/size.img" 2>"$work/forged/unbind.txt" &&
    fail "unbind took a forged image section"
grep -q "forged/size: ELF section .* runs past the end of the file" "$work/forged/unbind.txt" ||
    fail "unbind of a forged section: $(cat "$work/forged/unbind.txt")"

# An engine with no section table (its headers say so) gets the image appended only, and bind
# says that stripping would remove it.
mkdir -p "$work/tableless"
python3 - "$engine" "$work/tableless/engine" <<'PYTHON'
import struct, sys
b = bytearray(open(sys.argv[1], "rb").read())
wide = b[4] == 2
struct.pack_into("<Q" if wide else "<I", b, 40 if wide else 32, 0)  # e_shoff
struct.pack_into("<HH", b, 60 if wide else 48, 0, 0)  # e_shnum, e_shstrndx
open(sys.argv[2], "wb").write(b)
PYTHON
chmod +x "$work/tableless/engine"
"$quillet" bind "$work/tableless/engine" "$work/prog.img" -o "$work/tableless/prog" 2>"$work/tableless/bind.txt"
grep -q "engine has no ELF section table; the image is only appended, and stripping .*prog would remove it" \
    "$work/tableless/bind.txt" || fail "bind to an engine without sections: $(cat "$work/tableless/bind.txt")"
expect_runs "$work/tableless/prog" 0 "prog ran"

# A section removed by name takes the image with it: the engine says none is bound.
mkdir -p "$work/removed"
objcopy --remove-section=.quillet_image "$work/tool1/prog" "$work/removed/prog"
(cd "$work/removed" && QUILLET_BACKEND=headless timeout 60 ./prog >stdout.txt 2>stderr.txt)
grep -q "no B-code image is bound" "$work/removed/stderr.txt" ||
    fail "a program without its image section: $(cat "$work/removed/stderr.txt")"

[ "$failures" = 0 ] && echo "ok strip_checks"
[ "$failures" = 0 ]
