#!/bin/sh
# Start-up checks that need executables a program test cannot describe: an engine without an
# image, images with a wrong magic, version or size, and a debug file that holds old text.
# Usage: startup_checks.sh QUILLET ENGINE WORKDIR
set -u
quillet=$1 engine=$2 work=$3/startup_checks
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
    echo "FAIL startup_checks: $*"
    failures=$((failures + 1))
}

# Appends the 14-byte trailer for an image of $2 bytes to file $1.
append_trailer() {
    n=$2
    octal=$(printf '\\%03o\\%03o\\%03o\\%03o' $((n & 255)) $((n >> 8 & 255)) \
        $((n >> 16 & 255)) $((n >> 24 & 255)))
    printf "$octal" >>"$1"
    printf '\000OS2Magic\000' >>"$1"
}

# Binds image $1 by hand (no checks) into executable $2.
bind_raw() {
    cp "$engine" "$2" && cat "$1" >>"$2" && append_trailer "$2" "$(wc -c <"$1")"
}

# Runs executable $1 headless; checks exit status $2 and the whole standard error $3.
expect_run() {
    (cd "$(dirname "$1")" && QUILLET_BACKEND=headless timeout 60 "./$(basename "$1")" \
        >stdout.txt 2>stderr.txt)
    status=$?
    got=$(cat "$(dirname "$1")/stderr.txt")
    [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2"
    [ "$got" = "$3" ] || fail "$1: standard error '$got', expected '$3'"
}

cat >"$work/empty.qba" <<'PROGRAM'
module main
  routine main name "Main program"
    line 10
    end_unit 0
end
PROGRAM
"$quillet" asm "$work/empty.qba" -o "$work/empty.img" || { echo "FAIL: assembly"; exit 1; }

# A fatal stop: one line that says what happened, the box with the system's own text (here its
# line on standard error), and status 3.
fatal_output() { printf 'fatal stop "%s"%s\nfatal: %s' "$1" "${2:+: $2}" "$1"; }

# The engine on its own carries no image: the version check refuses it, and says why.
mkdir -p "$work/bare" && cp "$engine" "$work/bare/engine"
expect_run "$work/bare/engine" 3 \
    "$(fatal_output "version error" "no B-code image is bound to this executable; see quillet bind")"

# The engine on its own answers --version; a bound program hands the word to the program (it
# runs, and ends normally).
[ "$(cd "$work/bare" && ./engine --version)" = "quillet-engine $("$quillet" --version | cut -d' ' -f2)" ] ||
    fail "engine --version: $(cd "$work/bare" && ./engine --version 2>&1)"

# The engine on its own answers --help with its usage on standard output.
(cd "$work/bare" && ./engine --help >stdout.txt 2>stderr.txt) ||
    fail "engine --help: exit status $?"
grep -q "^usage: quillet-engine" "$work/bare/stdout.txt" && [ ! -s "$work/bare/stderr.txt" ] ||
    fail "engine --help: '$(cat "$work/bare/stdout.txt" "$work/bare/stderr.txt")'"

# A program that reads no picture and draws no text never loads the picture and font libraries
# (nor SDL): they are loaded at their first use, not with the engine. Text loads the font
# libraries, a snapshot libpng.
mkdir -p "$work/lean" && "$quillet" bind "$engine" "$work/empty.img" -o "$work/lean/prog" ||
    fail "lean: bind"
loaded() { sed -n 's/.*file=\([^ ]*\).*/\1/p' "$work/lean/loader.txt" | sort -u | tr '\n' ' '; }
(cd "$work/lean" && LD_DEBUG=files LD_DEBUG_OUTPUT="$work/lean/loader.txt" \
    QUILLET_BACKEND=headless timeout 60 ./prog) || fail "lean: exit status $?"
cat "$work/lean"/loader.txt.* >"$work/lean/loader.txt" 2>/dev/null
case $(loaded) in
"") fail "lean: the dynamic loader reported no file" ;;
*libpng* | *libjpeg* | *libfreetype* | *libfontconfig* | *libSDL2*)
    fail "lean: an empty program loaded $(loaded)" ;;
esac
cat >"$work/lean/text.qba" <<'PROGRAM'
module main
  routine main name "Main program"
    line 10
    bif print_at_cell 1, 1, "Some text"
    end_unit 0
end
PROGRAM
"$quillet" asm "$work/lean/text.qba" -o "$work/lean/text.img" &&
    "$quillet" bind "$engine" "$work/lean/text.img" -o "$work/lean/text" || fail "lean: text"
rm -f "$work/lean"/loader.txt*
(cd "$work/lean" && LD_DEBUG=files LD_DEBUG_OUTPUT="$work/lean/loader.txt" \
    QUILLET_BACKEND=headless QUILLET_SNAPSHOT_DIR="$work/lean/shots" timeout 60 ./text) ||
    fail "lean text: exit status $?"
cat "$work/lean"/loader.txt.* >"$work/lean/loader.txt" 2>/dev/null
[ -f "$work/lean/shots/exit-Quillet_BASIC_Amber_Edition.png" ] || fail "lean text: no snapshot"
case $(loaded) in
*libjpeg* | *libSDL2*) fail "lean text: loaded $(loaded)" ;;
*libfontconfig*libfreetype*libpng16* | *libfreetype*libfontconfig*libpng16*) ;;
*) fail "lean text: the font libraries and libpng were not all loaded: $(loaded)" ;;
esac

# A wrong magic byte and a wrong version are version errors too.
mkdir -p "$work/magic" && cp "$work/empty.img" "$work/magic/prog.img"
printf '\325' | dd of="$work/magic/prog.img" bs=1 seek=0 conv=notrunc 2>/dev/null
bind_raw "$work/magic/prog.img" "$work/magic/prog"
expect_run "$work/magic/prog" 3 "$(fatal_output "version error" \
    "the bound image does not start with the B-code magic D4 42 55 58: it is damaged or not an image")"

mkdir -p "$work/version" && cp "$work/empty.img" "$work/version/prog.img"
printf '\231' | dd of="$work/version/prog.img" bs=1 seek=4 conv=notrunc 2>/dev/null
bind_raw "$work/version/prog.img" "$work/version/prog"
expect_run "$work/version/prog" 3 \
    "$(fatal_output "version error" "the bound image has version 2201; this engine runs version 2200")"

# The unpatched image runs: the hand-made trailer is right.
mkdir -p "$work/good" && bind_raw "$work/empty.img" "$work/good/prog"
expect_run "$work/good/prog" 0 ""
(cd "$work/good" && QUILLET_BACKEND=headless ./prog --version >stdout.txt 2>&1) &&
    [ ! -s "$work/good/stdout.txt" ] || fail "a bound program answered --version itself"

# An image cut short is refused with a message naming the fault, not run.
mkdir -p "$work/short"
size=$(wc -c <"$work/empty.img")
head -c $((size - 8)) "$work/empty.img" >"$work/short/prog.img"
bind_raw "$work/short/prog.img" "$work/short/prog"
(cd "$work/short" && QUILLET_BACKEND=headless timeout 60 ./prog >stdout.txt 2>stderr.txt)
status=$?
[ "$status" = 3 ] || fail "a short image: exit status $status, expected 3"
[ "$(wc -l <"$work/short/stderr.txt")" = 2 ] &&
    grep -q '^fatal: malformed image: .' "$work/short/stderr.txt" ||
    fail "a short image was not refused as malformed: $(cat "$work/short/stderr.txt")"

# Header sizes that claim gigabytes (the code area, the module area) are refused from the header,
# before anything is allocated for them.
size=$(wc -c <"$work/empty.img")
for field in 8 24; do
    mkdir -p "$work/huge$field" && cp "$work/empty.img" "$work/huge$field/prog.img"
    printf '\360\377\377\177' |
        dd of="$work/huge$field/prog.img" bs=1 seek=$field conv=notrunc 2>/dev/null
    bind_raw "$work/huge$field/prog.img" "$work/huge$field/prog"
    (cd "$work/huge$field" && QUILLET_BACKEND=headless timeout 60 ./prog >stdout.txt 2>stderr.txt)
    status=$?
    [ "$status" = 3 ] || fail "a header size of 2 GiB at byte $field: exit status $status"
    grep -q "^fatal: malformed image: the header's areas end at byte [0-9]* but the image has $size bytes\$" \
        "$work/huge$field/stderr.txt" ||
        fail "a header size of 2 GiB at byte $field: $(cat "$work/huge$field/stderr.txt")"
done

# A trailer whose length exceeds the file.
mkdir -p "$work/length" && cp "$engine" "$work/length/prog"
append_trailer "$work/length/prog" 2000000000
expect_run "$work/length/prog" 3 \
    "$(fatal_output "malformed image: the trailer's image length exceeds the file")"

# A debug file beside the program is emptied at start-up, then receives the diagnostics.
mkdir -p "$work/log" && bind_raw "$work/empty.img" "$work/log/prog"
printf 'old text\n' >"$work/log/debug"
expect_run "$work/log/prog" 0 ""
[ -s "$work/log/debug" ] && fail "the debug file was not emptied at start-up"

# QUILLET_LOG names the log's file, which is emptied, whether a debug file lies beside the
# program (it stays as it was) or not. The name is the current directory's, also when the
# program runs elsewhere; one that cannot be written is said and the program runs without a log.
printf 'old text\n' >"$work/log/debug"
printf 'older text\n' >"$work/log/chosen.log"
(cd "$work" && QUILLET_LOG=log/chosen.log QUILLET_BACKEND=headless timeout 60 \
    "$work/version/prog" >/dev/null 2>&1)
[ "$(cat "$work/log/chosen.log")" = 'fatal stop "version error": the bound image has version 2201; this engine runs version 2200' ] ||
    fail "QUILLET_LOG: the log holds '$(cat "$work/log/chosen.log")'"
[ "$(cat "$work/log/debug")" = "old text" ] || fail "QUILLET_LOG: the debug file beside was written"
rm "$work/log/debug"
(cd "$work/log" && QUILLET_LOG=fresh.log QUILLET_BACKEND=headless timeout 60 ./prog)
[ -f "$work/log/fresh.log" ] && [ ! -s "$work/log/fresh.log" ] ||
    fail "QUILLET_LOG without a debug file: no empty log fresh.log"
got=$(cd "$work/log" && QUILLET_LOG=/no/such/dir/x.log QUILLET_BACKEND=headless timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 0 ] || fail "QUILLET_LOG in a missing directory: exit status $status"
[ "$got" = "QUILLET_LOG: cannot write the debug log /no/such/dir/x.log: No such file or directory" ] ||
    fail "QUILLET_LOG in a missing directory: '$got'"

# A backend that cannot be used stops the start: its message and exit status 1.
mkdir -p "$work/backend" && bind_raw "$work/empty.img" "$work/backend/prog"
got=$(cd "$work/backend" && QUILLET_BACKEND=bogus timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 1 ] || fail "unknown backend: exit status $status, expected 1"
[ "$got" = 'QUILLET_BACKEND: unknown backend "bogus" (sdl or headless)' ] ||
    fail "unknown backend: '$got'"
printf 'frobnicate\n' >"$work/backend/input.txt"
got=$(cd "$work/backend" && QUILLET_BACKEND=headless QUILLET_INPUT=input.txt timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 1 ] || fail "malformed script: exit status $status, expected 1"
case "$got" in input.txt:1:*) ;; *) fail "malformed script: '$got'" ;; esac

# The SDL backend without a display refuses at once instead of waiting for ever in a box that no
# one can see.
got=$(cd "$work/backend" && env -u DISPLAY -u WAYLAND_DISPLAY QUILLET_BACKEND=sdl timeout 60 \
    ./prog 2>&1)
status=$?
[ "$status" = 1 ] || fail "sdl without a display: exit status $status, expected 1"
case "$got" in *"sdl: no display to show windows on"*) ;; *"sdl: cannot start the display"*) ;;
*) fail "sdl without a display: '$got'" ;; esac
# A display that is named but cannot be reached is not "not set". No X server listens on a
# socket in a directory that does not exist.
got=$(cd "$work/backend" && env -u WAYLAND_DISPLAY DISPLAY=unix/no/such/dir/socket:7 \
    QUILLET_BACKEND=sdl timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 1 ] || fail "sdl with an unreachable display: exit status $status, expected 1"
case "$got" in *"sdl: cannot reach the display DISPLAY=unix/no/such/dir/socket:7;"*) ;;
*"sdl: cannot start the display"*) ;;
*) fail "sdl with an unreachable display: '$got'" ;; esac

# What the libraries behind SDL say of a missing sound card or XDG_RUNTIME_DIR goes to the debug
# log, not to the terminal. ALSA without a configuration has no default device on any machine.
mkdir -p "$work/noise" && cat >"$work/noise/prog.qba" <<'PROGRAM'
module main
  routine main name "Main program"
    line 10
    bif play_sound "\x00\x00\x01\xB8\x00\x1E"
    bif pause 0.1
    end_unit 0
end
PROGRAM
"$quillet" asm "$work/noise/prog.qba" -o "$work/noise/prog.img" &&
    "$quillet" bind "$engine" "$work/noise/prog.img" -o "$work/noise/prog" || fail "noise: build"
got=$(cd "$work/noise" && : >debug && ALSA_CONFIG_PATH=/dev/null SDL_AUDIODRIVER=alsa \
    QUILLET_SOUND=sdl QUILLET_BACKEND=headless timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 0 ] || fail "sound without a card: exit status $status, expected 0"
[ -z "$got" ] || fail "sound without a card: standard error '$got', expected none"
grep -q '^alsa: .*Unknown PCM default' "$work/noise/debug" ||
    fail "sound without a card: ALSA's message is not in the log: '$(cat "$work/noise/debug")'"
got=$(cd "$work/noise" && : >debug && env -u DISPLAY -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=none-0 \
    QUILLET_BACKEND=sdl timeout 60 ./prog 2>&1)
status=$?
[ "$status" = 1 ] || fail "wayland without XDG_RUNTIME_DIR: exit status $status, expected 1"
case "$got" in "sdl: cannot reach the display WAYLAND_DISPLAY=none-0;"*) ;;
*) fail "wayland without XDG_RUNTIME_DIR: standard error '$got'" ;; esac
grep -q '^wayland: .*XDG_RUNTIME_DIR' "$work/noise/debug" ||
    fail "wayland without XDG_RUNTIME_DIR: the message is not in the log: '$(cat "$work/noise/debug")'"

# With less address space than the VM arena's reservation the engine refuses to start: status 1
# and one line that says what it could not reserve and why. (An engine built with the address
# sanitizer cannot start under such a limit at all: its shadow memory needs far more.)
if ! grep -q __asan_init "$engine"; then
    mkdir -p "$work/arena" && "$quillet" bind "$engine" "$work/empty.img" -o "$work/arena/prog" ||
        fail "arena: bind failed"
    got=$(cd "$work/arena" && ulimit -v 4194304 && QUILLET_BACKEND=headless timeout 60 ./prog 2>&1)
    status=$?
    [ "$status" = 1 ] || fail "arena refused: exit status $status, expected 1"
    [ "$got" = "quillet: cannot reserve the VM arena (8192 MiB of address space at 0x60000000): \
Cannot allocate memory" ] || fail "arena refused: standard error '$got'"
fi

[ "$failures" = 0 ] && echo "ok startup_checks"
[ "$failures" = 0 ]
