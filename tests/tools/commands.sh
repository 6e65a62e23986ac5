#!/bin/sh
# The commands of the tool on good and bad input: exit status and messages.
# usage: commands.sh QUILLET WORKDIR SAMPLE.qba ENGINE
set -eu
quillet=$1 work=$2 sample=$3 engine=$4
programs="$(cd "$(dirname "$0")/../programs" && pwd)"
rm -rf "$work" && mkdir -p "$work" && cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_error() { # expect_error TEXT COMMAND...: the command fails and says TEXT on stderr
    text=$1
    shift
    if "$@" >out.txt 2>err.txt; then fail "succeeded: $*"; fi
    grep -qF -- "$text" err.txt || fail "no '$text' from $*: $(cat err.txt)"
}

# Help for the tool and every command.
"$quillet" --help | grep -q "unbind EXE" || fail "overview"
for c in asm dis bind unbind port run; do
    "$quillet" "$c" --help | grep -q "usage: quillet $c" || fail "help of $c"
done
expect_error "unknown command 'frobnicate'" "$quillet" frobnicate
"$quillet" --version | grep -q "^quillet [0-9]" || fail "--version"

# A wrong command line exits with 2, bad input with 1.
status() { # status COMMAND...: prints the exit status
    if "$@" >/dev/null 2>&1; then echo 0; else echo $?; fi
}
[ "$(status "$quillet" asm)" = 2 ] || fail "asm without a file: not status 2"
[ "$(status "$quillet" dis a b)" = 2 ] || fail "dis with two files: not status 2"
[ "$(status "$quillet" run --frob x.qba)" = 2 ] || fail "run with an unknown option: not status 2"
[ "$(status "$quillet" asm missing.qba)" = 1 ] || fail "asm of a missing file: not status 1"

# The bif list: by number, or every bif whose name holds a word in any case; unknown ones
# refused.
"$quillet" bifs 10 | grep -q "^10 string_length (str, num) native" || fail "bifs 10"
"$quillet" bifs string_length | grep -q "^10 " || fail "bifs by name"
# Number formatting is native for small integers only: the rest needs the image's routine.
"$quillet" bifs 13 | grep -q "^13 number_to_string (num, str) fast path: " ||
    fail "bifs 13: $("$quillet" bifs 13)"
"$quillet" bifs String_Len >out.txt && [ "$(wc -l <out.txt)" = 1 ] && grep -q "^10 " out.txt ||
    fail "bifs by a word in another case: $(cat out.txt)"
"$quillet" bifs FILE >out.txt || fail "bifs FILE"
[ "$(wc -l <out.txt)" -gt 3 ] && ! cut -d' ' -f2 out.txt | grep -v file ||
    fail "bifs FILE: $(cat out.txt)"
"$quillet" bifs 498 | grep -q "^498 write_image (str, str, str) native, reaches files: " ||
    fail "bifs 498: $("$quillet" bifs 498)"
expect_error "no native bif has the number 60" "$quillet" bifs 60
expect_error "no native bif has a name containing frobnicate" "$quillet" bifs frobnicate

# Errors in sources: FILE:LINE: message, nothing written.
printf 'module m\n  routine main\n    add x, 1, x\nend\n' >bad.qba
expect_error "bad.qba:3: unknown operand 'x'" "$quillet" asm bad.qba -o bad.img
[ ! -e bad.img ] || fail "an image was written for a bad source"
printf 'module m\n  routine main\n    jump nowhere\nend\n' >jump.qba
expect_error "jump.qba:3: jump to unknown label nowhere" "$quillet" asm jump.qba
printf 'module m\n  routine main\n    move "text", 1\nend\n' >kind.qba
expect_error "kind.qba:3: move takes a numeric operand here" "$quillet" asm kind.qba
printf 'module m\n  routine main\n    str_move "unterminated\nend\n' >quote.qba
expect_error "quote.qba:3: string without closing quote" "$quillet" asm quote.qba
printf 'module m\n  routine main\n' >open.qba
expect_error "open.qba:1: the file ends inside module m" "$quillet" asm open.qba
expect_error "cannot open missing.qba" "$quillet" asm missing.qba

# Warnings do not stop the assembly.
printf 'module m\n  routine main\n    nop\n  routine other\n    return\nend\n' >falls.qba
"$quillet" asm falls.qba -o falls.img 2>err.txt || fail "a warning stopped the assembly"
grep -qF "falls.qba:3: warning: routine main can run off its end" err.txt ||
    fail "no warning for a routine that runs off its end: $(cat err.txt)"
[ -s falls.img ] || fail "no image written after a warning"
expect_error "cannot write /no/such/dir/x.img: " "$quillet" asm falls.qba -o /no/such/dir/x.img

# Bind and unbind: the image survives, the run bit is kept.
"$quillet" asm "$sample" -o sample.img
printf '#!/bin/sh\necho engine\n' >engine
chmod 755 engine
"$quillet" bind engine sample.img -o bound
[ -x bound ] || fail "bound executable lost the run bit"
"$quillet" unbind bound -o back.img
cmp sample.img back.img || fail "unbind changed the image"
"$quillet" dis bound | grep -q "routine Main_program" || fail "dis of a bound executable"
"$quillet" bind bound sample.img -o rebound 2>err.txt
grep -q "replaced" err.txt || fail "rebinding did not say it replaced the image"
cmp bound rebound || fail "rebinding did not replace the old image"

# Without -o, unbind writes the image beside the executable, named after it; never over it.
mkdir -p dir && cp bound dir/APP.EXE
"$quillet" unbind dir/APP.EXE && cmp sample.img dir/APP.img || fail "unbind without -o"
cp bound same.img
expect_error "the output would overwrite the executable same.img" "$quillet" unbind same.img

# Files without a trailer, truncated and inconsistent images: every message names the file.
expect_error "engine: no bound image: the file neither ends with the 14-byte trailer" \
    "$quillet" unbind engine -o x.img
[ ! -e x.img ] || fail "unbind wrote an image without a trailer"
head -c 100 sample.img >short.img
expect_error "short.img: the header's areas end at byte" "$quillet" dis short.img
expect_error "short.img: the header's areas end at byte" "$quillet" run short.img
expect_error "short.img: the header's areas end at byte" "$quillet" bind engine short.img -o x
printf 'hello' >text.img
expect_error "text.img is neither a B-code image nor a bound executable" "$quillet" dis text.img
head -c 2500 bound >cut
cat back.img >>cut  # a trailer-less file that ends inside an image
expect_error "cut: no bound image: the file neither ends with the 14-byte trailer" \
    "$quillet" unbind cut -o y.img

# run takes for assembly text only what is text: a damaged image, one cut inside its magic, an
# executable with no image and other binary files are refused as what they are.
cp sample.img magic.img
printf '\325' | dd of=magic.img bs=1 seek=0 conv=notrunc 2>/dev/null
expect_error "magic.img: a damaged B-code image: its magic is D5 42 55 58, not D4 42 55 58" \
    "$quillet" run magic.img
head -c 3 sample.img >three.img
expect_error "three.img: a B-code image cut short (3 bytes)" "$quillet" run three.img
expect_error "is an executable with no B-code image bound" "$quillet" run "$engine"
expect_error "is an executable with no B-code image bound" "$quillet" dis "$engine"
printf 'module m\000' >binary.qba
expect_error "binary.qba is neither assembly text, a B-code image nor a bound executable" \
    "$quillet" run binary.qba

# run takes sources, images and bound executables, and leaves no temporary directory behind,
# whatever happens.
mkdir -p tmp
export TMPDIR="$work/tmp" QUILLET_BACKEND=headless
"$quillet" run "$sample" || fail "run of a source"
"$quillet" bind "$engine" sample.img -o sample-bound
"$quillet" run sample-bound || fail "run of a bound executable"
"$quillet" run sample.img || fail "run of an image"
expect_error "cannot keep the debug log as /no/such/dir/x.log" \
    "$quillet" run --log /no/such/dir/x.log "$sample"
printf 'module m\n  routine main\n  again:\n    jump again\nend\n' >forever.qba
"$quillet" run forever.qba &
pid=$!
sleep 1
kill -TERM $pid
rc=0
wait $pid || rc=$?
[ "$rc" = 143 ] || fail "run killed with SIGTERM: status $rc, not 143"
[ -z "$(ls tmp)" ] || fail "run left $(ls tmp) behind"
# Killed at once: the signal may come while the source is assembled or the bound copy written.
for delay in 0 0.01 0.02 0.05 0.1; do
    "$quillet" run forever.qba &
    pid=$!
    sleep $delay
    kill -TERM $pid
    rc=0
    wait $pid || rc=$?
    [ "$rc" = 143 ] || fail "run killed after ${delay}s: status $rc, not 143"
    [ -z "$(ls tmp)" ] || fail "run killed after ${delay}s left $(ls tmp) behind"
done
unset TMPDIR QUILLET_BACKEND

# bind without an engine takes the one beside quillet (a build) or the installation's
# (libexec/quillet); run and port find it the same way, and say where they looked.
"$quillet" bind sample.img -o implicit && "$quillet" bind "$engine" sample.img -o explicit &&
    cmp implicit explicit || fail "bind without an engine did not take the one beside quillet"
mkdir -p lay/bin lay/libexec/quillet alone/bin
cp "$quillet" lay/bin/quillet && cp "$quillet" alone/bin/quillet
ln -s "$engine" lay/libexec/quillet/quillet-engine
lay/bin/quillet bind sample.img -o installed && cmp installed explicit ||
    fail "bind without an engine did not take the installation's"
expect_error "no engine: there is no $work/alone/bin/quillet-engine (a build) nor $work/alone/libexec/quillet/quillet-engine (an installation)" \
    alone/bin/quillet bind sample.img -o x
export QUILLET_ENGINE="$work/no-such-engine"
expect_error "there is no engine $work/no-such-engine (named by QUILLET_ENGINE)" "$quillet" run "$sample"
unset QUILLET_ENGINE

# port: a Windows executable (here an MS-DOS stub with an image and its trailer appended, as the
# tool sees one) becomes a Linux program in one step, with a report of what its image holds.
printf 'MZ\220\000\003 This program cannot be run in DOS mode.' >stub.exe
"$quillet" asm "$programs/conversion_handover.qba" -o ledger.img
mkdir -p win && "$quillet" bind stub.exe ledger.img -o win/LEDGER.EXE
"$quillet" port win/LEDGER.EXE --desktop >port.txt || fail "port: $(cat port.txt)"
grep -qx "win/LEDGER.EXE: a Windows executable with an image bound ($(wc -c <win/LEDGER.EXE) bytes)" \
    port.txt && grep -qx "image: $(wc -c <ledger.img) bytes" port.txt &&
    grep -qx "modules: 1" port.txt && grep -q "^  module 0: [0-9]* bytes, units: Main program" port.txt &&
    grep -qx "bif overrides: 2 (13 number_to_string, 14 string_to_number)" port.txt &&
    grep -q "^formatting bifs 13 and 14: supplied by the image's library" port.txt &&
    grep -qx "wrote win/ledger ($(wc -c <win/ledger) bytes)" port.txt &&
    grep -qx "icon: none, win/LEDGER.EXE: it is an MS-DOS executable without a Windows (PE) header" \
        port.txt || fail "port report: $(cat port.txt)"
[ -x win/ledger ] && "$quillet" unbind win/ledger -o back-ledger.img && cmp ledger.img back-ledger.img ||
    fail "the ported program does not carry the image"
QUILLET_BACKEND=headless win/ledger || fail "the ported program did not run"
grep -qx "Exec=$work/win/ledger" win/ledger.desktop && grep -qx "Type=Application" win/ledger.desktop &&
    ! grep -q "^Icon=" win/ledger.desktop || fail "desktop entry: $(cat win/ledger.desktop)"
"$quillet" bind stub.exe sample.img -o SUM.EXE
"$quillet" port SUM.EXE -o sum-port >port.txt && grep -qx "bif overrides: 0" port.txt &&
    grep -q "^formatting bifs: the image's library does not supply 13 and 14" port.txt ||
    fail "port of an image without overrides: $(cat port.txt)"
expect_error "stub.exe has no B-code image bound" "$quillet" port stub.exe
cp SUM.EXE sum
expect_error "the output would overwrite sum; give -o" "$quillet" port sum
echo "commands ok"
