// The reset of everything the interpreter keeps for a program, so that one process can run
// several programs in a row, each as if it were the first.
#pragma once

namespace quillet {

// Back to the state of a fresh process: the interpreter's state (InterpState, interp_state.h) is
// replaced with a fresh value: registers (with the op-step divisor and any run bound), the
// laid-out program and its decoded ops, exceptions, the FOR/NEXT cache, the native libraries a
// program loaded (closed), and the program's name and arguments (start-up records them again).
//
// What the host of the interpreter chooses stays, since no program changes it (InterpSetup): the
// bif table, the exit, native and decode policies and the hooks of the layers above.
void reset_interp_state();

} // namespace quillet
