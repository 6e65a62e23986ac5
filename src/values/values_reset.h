// The reset of everything the values layer keeps for a program, so that one process can run
// several programs in a row, each as if it were the first.
#pragma once

namespace quillet {

// Back to the state of a fresh process: the arena's pages are given back (every address reads
// zero), and the layer's state (values_state.h) is replaced with a fresh value: the heap is
// empty, and the scanner, the random generator, the list delimiter and the debug log (disabled
// until start-up opens it again) are as before any program.
//
// The memory fault policy stays: it is the host's choice (the engine's fatal stop, or the fuzz
// target's hook), not something a program changes.
void reset_values_state();

} // namespace quillet
