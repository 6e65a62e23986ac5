// The reset of everything the interpreter keeps for a program, so that one process can run
// several programs in a row, each as if it were the first.
#pragma once

namespace quillet {

// Back to the state of a fresh process: registers (with the op-step divisor and any run bound),
// the laid-out program and its decoded ops, exceptions, the FOR/NEXT cache, the native libraries
// a program loaded, and the program's name and arguments (start-up records them again).
//
// What the host of the interpreter chooses stays, since no program changes it: the bif table,
// the exit policy, the native policy and the hooks of the layers above.
void reset_interp_state();

} // namespace quillet
