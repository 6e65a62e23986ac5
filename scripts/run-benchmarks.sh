#!/bin/sh
# Runs every benchmark of a build directory (default build/).
set -e
build=${1:-build}
for b in "$build"/bin/*_bench; do
    echo "== $(basename "$b")"
    "$b" --benchmark_min_time=0.2
done
