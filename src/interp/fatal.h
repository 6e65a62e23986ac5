// Engine-level failures and the ways the process ends.
#pragma once

#include <cstdint>

namespace quillet {

// How the process ends. A host that must survive the program's end (the fuzz target) installs a
// function here that does not return normally (it throws); otherwise the process exits.
struct ExitPolicy {
    void (*hook)(int status) = nullptr;
};
inline ExitPolicy exit_policy;

// Shows the message in the fatal-error box and ends the process with status 0.
[[noreturn]] void fatal_stop(const char* message);

// Ends the process with status 0 after the windowing layer's clean-up.
[[noreturn]] void program_exit();

// Makes freeing something that is not a live block (a program overwrote a record) a fatal stop.
void install_memory_fault_stop();

// Ends the process at once with the given status, without the end-of-program work.
[[noreturn]] void immediate_exit(int status);

// Ends a start-up that cannot go on, with status 1.
[[noreturn]] void run_exit();

} // namespace quillet
