// The start of a program once the task window exists, and the reset that lets one process run
// several images one after another (the fuzz target).
#pragma once

namespace quillet {

// Allocates the value stack, lays out the loaded image, checks the bif overrides, enters the
// start routine and runs the op loop; does not return.
[[noreturn]] void start_program();

// Forgets the previous run: interpreter registers, the program, exceptions, the heap.
void reset_engine();

} // namespace quillet
