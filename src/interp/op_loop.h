// The op loops: the main loop, the nested loop that runs B-code from inside host callbacks, and
// the slice loop of live scrolling.
#pragma once

#include <cstdint>

namespace quillet {

// The main loop; never returns (the program ends through program end or a fatal stop).
[[noreturn]] void run_ops();

// Runs ops until the stop flag is set, or until a nested routine run's routine has returned to
// its floor frame (vm.nested_floor).
void run_ops_until_stopped();

// Runs ops until the op counter is a multiple of 3200, without pumping host messages.
void run_op_slice();

// The host-message pump and the serial poll that the loops run every op_step_divisor ops.
void pump_between_ops();

// Bounds the run to about ops ops (at most one check interval more): the program then ends as
// through program_exit. For hosts that run untrusted images (the fuzz target).
void bound_run_to_ops(uint64_t ops);

// Program end (bif 114, or end_unit at the outermost level) with the given kind.
[[noreturn]] void end_program(int32_t kind);

} // namespace quillet
