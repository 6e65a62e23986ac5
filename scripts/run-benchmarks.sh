#!/bin/sh
# Runs every benchmark of a build directory (default build/): the Google Benchmarks, then the
# object benchmarks of bench/objects/ (bound B-code programs), then the start-up of a bound empty
# program (bench/startup.sh).
set -e
build=${1:-build}
for b in "$build"/bin/*_bench; do
    echo "== $(basename "$b")"
    "$b" --benchmark_min_time=0.2
done
echo "== objects (bench/objects/)"
"$(dirname "$0")/bench-objects.sh" "$build"
echo "== start-up (bench/startup.sh)"
"$(dirname "$0")/../bench/startup.sh" "$build"
