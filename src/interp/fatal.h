// Engine-level failures and the ways the process ends.
#pragma once

#include "interp/interp_state.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// The exit status of a process ended by a fatal stop; a normal end is 0 and a start-up that
// cannot go on 1.
inline constexpr int fatal_exit_status = 3;

// Writes one diagnostic line with the message and the detail that explains it (what, where) to
// standard error and the debug log, shows the message, exactly as given, in the fatal-error box
// with that line below it when there is a detail, and ends the process with fatal_exit_status.
[[noreturn]] void fatal_stop(const char* message, std::string_view detail = {});

// "module M offset 0xXXXX": where pc is in the current module, as the disassembler's labels
// count (L_XXXX).
std::string code_position(uint32_t pc);

// Ends the process with status 0 after the windowing layer's clean-up.
[[noreturn]] void program_exit();

// Ends the process after SIGINT or SIGTERM, from a pump or a wait of any loop: the windows are
// closed and every buffered file is written out, then the signal ends the process as it would
// have, so that the caller sees which one did.
[[noreturn]] void interrupted_exit(int signal);

// Makes freeing something that is not a live block (a program overwrote a record) a fatal stop.
void install_memory_fault_stop();

// Ends the process at once with the given status, without the end-of-program work.
[[noreturn]] void immediate_exit(int status);

// Ends a start-up that cannot go on, with status 1.
[[noreturn]] void run_exit();

} // namespace quillet
