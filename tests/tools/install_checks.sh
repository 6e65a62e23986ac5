#!/bin/sh
# An installation into a DESTDIR, as `make install DESTDIR=... PREFIX=...` makes it, from the
# built tree: the tool, the stripped engine with its debug information apart (found through
# the engine's debuglink: the CRC matches), the man page, bash completion and the docs; then the
# installed quillet binds and runs a program with the installed engine, and ports one.
# Usage: install_checks.sh BUILD_DIR WORKDIR SAMPLE.qba
set -u
build=$1 work=$2 sample=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
fail() {
    echo "FAIL install_checks: $*"
    exit 1
}

root="$work/root" prefix=/opt/quillet
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1 ||
    { cat "$work/install.txt"; fail "cmake --install"; }
inst="$root$prefix"
for f in bin/quillet libexec/quillet/quillet-engine libexec/quillet/.debug/quillet-engine.debug \
    bin/.debug/quillet.debug share/man/man1/quillet.1 share/bash-completion/completions/quillet \
    share/doc/quillet/README.md share/doc/quillet/docs/porting.md share/doc/quillet/docs/index.md; do
    [ -f "$inst/$f" ] || fail "not installed: $f (installed: $(cd "$root" && find . -type f))"
done
[ -x "$inst/bin/quillet" ] && [ -x "$inst/libexec/quillet/quillet-engine" ] || fail "not executable"

# Stripped, with a debuglink whose CRC is the debug file's; the debug file has the debug info.
engine="$inst/libexec/quillet/quillet-engine"
readelf -S "$engine" | grep -q "\.debug_info\|\.symtab" && fail "the installed engine is not stripped"
[ "$(wc -c <"$engine")" -lt "$(wc -c <"$build/bin/quillet-engine")" ] ||
    fail "the installed engine is not smaller than the built one"
readelf -S "$inst/libexec/quillet/.debug/quillet-engine.debug" | grep -q "\.debug_info" ||
    fail "the debug file has no debug information"
python3 - "$engine" "$inst/libexec/quillet/.debug/quillet-engine.debug" <<'PY' || fail "debuglink"
import subprocess, sys, zlib
link = subprocess.run(["objcopy", "--dump-section", ".gnu_debuglink=/dev/stdout", sys.argv[1],
                       "/dev/null"], capture_output=True, check=True).stdout
name = link[:link.index(b"\0")].decode()
crc = int.from_bytes(link[-4:], "little")
actual = zlib.crc32(open(sys.argv[2], "rb").read())
if name != "quillet-engine.debug" or crc != actual:
    sys.exit(f"debuglink {name} {crc:08x}, debug file crc {actual:08x}")
PY

# The man page renders without warnings; the completion completes commands and options.
[ -z "$(groff -man -ww -z "$inst/share/man/man1/quillet.1" 2>&1)" ] ||
    fail "man page: $(groff -man -ww -z "$inst/share/man/man1/quillet.1" 2>&1)"
completions=$(bash -c '. "$1"; COMP_WORDS=(quillet po); COMP_CWORD=1; _quillet
    echo "${COMPREPLY[*]}"; COMP_WORDS=(quillet port --d); COMP_CWORD=2; _quillet
    echo "${COMPREPLY[*]}"' sh "$inst/share/bash-completion/completions/quillet")
[ "$completions" = "port
--desktop" ] || fail "completions: $completions"

# The installed tool finds the installed engine: run, bind and port need no engine path.
unset QUILLET_ENGINE
export QUILLET_BACKEND=headless TMPDIR="$work"
cd "$work" || exit 1
"$inst/bin/quillet" run "$sample" || fail "quillet run with the installed engine"
"$inst/bin/quillet" asm "$sample" -o sample.img && "$inst/bin/quillet" bind sample.img -o prog ||
    fail "quillet bind with the installed engine"
cmp -s prog "$engine" && fail "bind wrote the engine without the image"
./prog || fail "the bound program did not run"
# A bound program is the stripped engine, its image and the image section's entry.
[ "$(wc -c <prog)" -le $(($(wc -c <"$engine") + $(wc -c <sample.img) + 4096)) ] ||
    fail "a bound program has $(wc -c <prog) bytes"
printf 'MZ\220\000' >stub.exe && "$inst/bin/quillet" bind stub.exe sample.img -o APP.EXE &&
    "$inst/bin/quillet" port APP.EXE >port.txt && ./app ||
    fail "port with the installed engine: $(cat port.txt)"
grep -qx "engine: $engine" port.txt || fail "port used another engine: $(cat port.txt)"
echo "ok install_checks"
