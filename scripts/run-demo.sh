#!/bin/sh
# Runs the bound demo in DIR: in a window on a desktop, else headless with the input script of
# examples/demo.input (its form clicked and chosen from, then the key of its key wait); prints the
# snapshots written and the debug log.
# Usage: run-demo.sh DIR
set -eu
input="$(cd "$(dirname "$0")/.." && pwd)/examples/demo.input"
dir=$(cd "$1" && pwd)
cd "$dir"
rm -rf snapshots && : >debug
if [ -n "${DISPLAY:-}" ] && [ "${QUILLET_BACKEND:-sdl}" != headless ]; then
    ./demo
else
    QUILLET_BACKEND=headless QUILLET_INPUT="$input" QUILLET_SNAPSHOT_DIR=snapshots ./demo
    echo "snapshots:"
    for picture in snapshots/*.png; do echo "  $dir/$picture"; done
fi
echo "debug log:"
sed 's/^/  /' debug
