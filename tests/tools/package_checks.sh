#!/bin/sh
# The Debian packages of `make package`, made by CPack from the built tree (no build here): the
# package's dependencies come from the binaries (dpkg-shlibdeps) plus the libraries the engine
# loads itself, not from the build's packages; unpacked with dpkg-deb, its quillet runs a program
# on its engine, which is stripped, and quillet-dbg holds the debug information.
# Usage: package_checks.sh CPACK BUILD_DIR WORKDIR SAMPLE.qba
set -u
cpack=$1 build=$2 work=$3 sample=$4
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "SKIPPED: $tool is not installed (package dpkg-dev)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
fail() {
    echo "FAIL package_checks: $*"
    exit 1
}

(cd "$build" && "$cpack" -G DEB -B "$work" >"$work/cpack.txt" 2>&1) ||
    { cat "$work/cpack.txt"; fail "cpack"; }
set -- "$work"/quillet_*.deb
deb=$1 dbg=$(ls "$work"/quillet-dbg_*.deb 2>/dev/null)
[ -f "$deb" ] && [ -f "$dbg" ] || fail "packages made: $(ls "$work")"

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in libc6 libstdc++6 libpng16-16 libjpeg62-turbo libfreetype6 libfontconfig1 \
    libsdl2-2.0-0 fonts-liberation2; do
    echo "$depends" | grep -q "\(^\|, \)$wanted\( \|,\|$\)" || fail "Depends lacks $wanted: $depends"
done
for unwanted in cmake g++ libgtest mold clang "-dev"; do
    echo "$depends" | grep -q -- "$unwanted" && fail "Depends has $unwanted: $depends"
done
[ "$(dpkg-deb -f "$dbg" Depends)" = "quillet (= $(dpkg-deb -f "$deb" Version))" ] ||
    fail "quillet-dbg depends on $(dpkg-deb -f "$dbg" Depends)"

dpkg-deb -x "$deb" "$work/x" && dpkg-deb -x "$dbg" "$work/x" || fail "dpkg-deb -x"
engine="$work/x/usr/libexec/quillet/quillet-engine"
[ -x "$work/x/usr/bin/quillet" ] && [ -x "$engine" ] || fail "contents: $(dpkg-deb -c "$deb")"
readelf -S "$engine" | grep -q "\.debug_info" && fail "the packaged engine is not stripped"
readelf -S "$work/x/usr/libexec/quillet/.debug/quillet-engine.debug" | grep -q "\.debug_info" ||
    fail "quillet-dbg has no debug information"
"$engine" --version | grep -q "^quillet-engine " || fail "the packaged engine does not start"
cd "$work" || exit 1
unset QUILLET_ENGINE
QUILLET_BACKEND=headless TMPDIR="$work" "$work/x/usr/bin/quillet" run "$sample" ||
    fail "the packaged quillet did not run a program on the packaged engine"
echo "ok package_checks ($(wc -c <"$deb") bytes)"
