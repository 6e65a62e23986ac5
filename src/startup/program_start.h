// The start of a program once the task window exists, and the reset that lets one process run
// several images one after another (the fuzz target).
#pragma once

namespace quillet {

// Allocates the value stack, lays out the loaded image, checks the bif overrides, enters the
// start routine and runs the op loop; does not return. A chain loads its program and starts
// that one the same way.
[[noreturn]] void start_program();

// Forgets everything earlier programs left behind, so that the next one runs as in a fresh
// process: the arena (every page given back), the heap, the values layer's and the
// interpreter's state, and what start-up recorded (the executable, the program's arguments, the
// debug log, which stays disabled until the caller opens it again as main does). What the host
// of the engine chose stays: the bif table, the exit, memory-fault and native policies and the
// upper layers' hooks.
void reset_engine();

} // namespace quillet
