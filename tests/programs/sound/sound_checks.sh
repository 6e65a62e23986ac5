#!/bin/sh
# Plays a tune through the bound engine into SDL's disk audio driver and checks the recording:
# every note's frequency (within 1%) and length (within 10 ms), and the rests between them.
# The second run has the driver take its buffers about six times faster than they sound, as a
# player thread held up on a busy machine finds the device: no note may be cut and no rest
# lengthened by the device running short.
# Usage: sound_checks.sh QUILLET ENGINE WORKDIR
set -u
here=$(dirname "$0")
"$here/../run_program_test.sh" "$1" "$2" "$here/tune.qba" "$3" || exit 1
python3 "$here/analyse_tune.py" "$3/tune/tune.raw" || exit 1
echo "With the device six times faster than real time:"
SDL_DISKAUDIODELAY=2 "$here/../run_program_test.sh" "$1" "$2" "$here/tune.qba" "$3" || exit 1
python3 "$here/analyse_tune.py" "$3/tune/tune.raw"
