// Routine calls decoded once (the plan itself is in decoded_ops.h). Descriptors with arrays,
// channels, shared blocks or native code, and any that enter_routine would refuse, get no plan
// and keep running through enter_routine.
#pragma once

#include "interp/decoded_ops.h"
#include "interp/frames.h"
#include "values/numbers.h"
#include "values/strings.h"

#include <optional>

namespace quillet {

// The plan of the call op at pc in the current module, if it can have one.
std::optional<RoutinePlan> plan_call(Addr pc);

// Whether the callee's frame fits on the value stack; the caller raises 5000 when it does not.
QUILLET_HOT_INLINE bool plan_fits(const RoutinePlan& plan) {
    return vm.sp - vm.stack_base >= plan.size;
}

// The steps of a plan other than value and reference parameters: fixed-length string locals,
// string values and result parameters.
void run_plan_step(const PlanStep& step, Addr at);

// Builds the callee's frame from the plan, which fits (plan_fits), and switches to it, as
// enter_routine does.
QUILLET_HOT_INLINE void enter_planned_routine(const RoutinePlan& plan) {
    Addr s = vm.sp;
    start_frame_header(s, vm.fp(), vm.env());
    Addr numbers = s + 4 - plan.size;
    for (uint32_t k = 0; k < plan.numeric_locals; ++k)
        store_cell(numbers + 8 * k, num_int(0));
    Addr slots = s - frame::header;
    for (uint32_t k = 1; k <= plan.string_locals; ++k)
        store_cell(slots - 8 * k, make_cell(empty_string, no_max_length));
    // Value and reference parameters inline, in the descriptor's order (a result parameter
    // may clear a variable that an earlier value parameter copied).
    for (const PlanStep& step : plan.steps) {
        Addr at = s + uint32_t(step.at);
        if (step.code == 8)
            store_cell(at, load_cell(generic_operand_address(step.arg)));
        else if (step.code >= 16 && step.code <= 22)
            store_cell(at, make_cell(generic_operand_address(step.arg), 0));
        else
            run_plan_step(step, at);
    }
    if (plan.own_environment) vm.env() = s;
    switch_to_frame(s, plan.release_count, plan.reference_count, plan.return_pc, plan.module,
                    s - plan.size, plan.body);
}

} // namespace quillet
