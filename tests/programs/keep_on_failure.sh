#!/bin/sh
# Runs a program-test script and, when it passes or skips, removes the bound executables it left
# in its run directory. Each is a copy of the engine (tens of megabytes with debug information, more
# under the sanitizers), and a full run of the suite would otherwise fill a small disk. A failing
# run keeps them, to be run again by hand.
# Usage: keep_on_failure.sh RUNDIR COMMAND [ARGUMENTS...]
dir=$1
shift
"$@"
status=$?
if [ "$status" = 0 ] || [ "$status" = 77 ]; then
    find "$dir" -type f -perm -u+x -size +1M -delete 2>/dev/null
fi
exit "$status"
