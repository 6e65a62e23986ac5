#!/bin/sh
# Runs the bound demo in DIR: in a window on a desktop, else headless with a space key scripted
# for its key wait; prints the snapshots written and the debug log.
# Usage: run-demo.sh DIR
set -eu
dir=$(cd "$1" && pwd)
cd "$dir"
rm -rf snapshots && : >debug
if [ -n "${DISPLAY:-}" ] && [ "${QUILLET_BACKEND:-sdl}" != headless ]; then
    ./demo
else
    printf 'key space\n' >input.txt
    QUILLET_BACKEND=headless QUILLET_INPUT=input.txt QUILLET_SNAPSHOT_DIR=snapshots ./demo
    echo "snapshots:"
    for picture in snapshots/*.png; do echo "  $dir/$picture"; done
fi
echo "debug log:"
sed 's/^/  /' debug
