// A routine run nested inside host-event processing. The routine is entered with its return
// address at the interrupted pc and taking no operands from there, so that its return lands the
// registers back on the interrupted computation; the nested loop ends when the frame pointer is
// back at the interrupted frame (vm.nested_floor). What the return does not restore (the
// condition flag, the FOR cache, the exception state, the run flags of the loops) is set aside
// here and put back.
#include "interp/nested_run.h"

#include "interp/bif_dispatch.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/for_loops.h"
#include "interp/frames.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "interp/routine_plans.h"
#include "values/debug_log.h"
#include "values/errors.h"

namespace quillet {
namespace {

// The registers of the interrupted computation that the nested run may change.
struct InterruptedState {
    Addr pc = vm.pc;
    uint32_t module = vm.module;
    Addr sp = vm.sp;
    Addr env = vm.env();
    Addr frame = vm.fp();
    int32_t flag = vm.flag;
    ForCache loop_cache = for_cache;
    DecodedOp* running = decoded.running;
    uint32_t countdown = decoded.countdown;
    ExceptionState exception_state = exceptions;
    Addr pending_frame = vm.pending_frame;
    int32_t release_count = vm.release_count;
    int32_t reference_count = vm.reference_count;
    int32_t stop_flag = vm.stop_flag;
    Addr nested_floor = vm.nested_floor;
    int32_t busy_mark = vm.busy_mark;
    int32_t in_slice = vm.in_slice;
    Addr program_end_mark = vm.program_end_mark;
};

// The flags of the loops, for the nested run: it runs to its return (the stop flag cleared, the
// floor at the interrupted frame), is neither a wait nor a slice, and an end_unit inside it ends
// the program.
void start_run_flags() {
    vm.stop_flag = 0;
    vm.nested_floor = vm.fp();
    vm.busy_mark = 0;
    vm.in_slice = 0;
    vm.program_end_mark = 0;
    vm.pending_frame = 0;
    vm.release_count = vm.reference_count = 0;
    decoded.running = nullptr;
}

void restore_run_flags(const InterruptedState& s) {
    vm.stop_flag = s.stop_flag;
    vm.nested_floor = s.nested_floor;
    vm.busy_mark = s.busy_mark;
    vm.in_slice = s.in_slice;
    vm.program_end_mark = s.program_end_mark;
    vm.pending_frame = s.pending_frame;
    vm.release_count = s.release_count;
    vm.reference_count = s.reference_count;
    decoded.running = s.running;
    decoded.countdown = s.countdown;
}

// A raise while the routine's frame is built (5000: the stack is full) takes the way of a raise
// inside the run; no frame of the run exists yet to handle it.
void enter_nested(const RoutinePlan& plan) {
    try {
        enter_routine_by_plan(plan);
    } catch (const BasicError& e) {
        unwind_to_handler({.code = e.code});
    }
}

// Frames still above the floor (a stop flag set before the routine returned) are left.
void leave_to_floor(Addr floor) {
    while (vm.fp() && vm.fp() < floor)
        leave_routine();
    if (vm.fp() != floor)
        fatal_stop("stack frame error", "a nested run left a frame it interrupted");
}

} // namespace

bool run_bcode_bif_nested(uint32_t n) {
    if (vm.fp() == 0) return false;
    std::optional<BcodeRoutine> routine = bcode_bif_routine(n);
    if (!routine) return false;
    const RoutinePlan& plan = routine_plan(routine->entry, routine->module, vm.pc);
    if (plan.return_pc != vm.pc) {
        debug_log("B-code bif %u takes arguments: it cannot run from a window event", unsigned(n));
        return false;
    }
    InterruptedState saved;
    start_run_flags();
    try {
        enter_nested(plan);
        run_ops_until_stopped();
        leave_to_floor(saved.frame);
    } catch (const NestedRunEscape& escape) {
        restore_run_flags(saved);
        decoded.running = nullptr; // the raise leaves from wherever the run was started
        resume_at_handler(escape.handler);
        throw ResumeAtHandler{};
    } catch (...) {
        restore_run_flags(saved);
        throw;
    }
    restore_run_flags(saved);
    set_module(saved.module);
    vm.pc = saved.pc;
    vm.sp = saved.sp;
    vm.env() = saved.env;
    vm.flag = saved.flag;
    for_cache = saved.loop_cache;
    exceptions = saved.exception_state;
    return true;
}

} // namespace quillet
