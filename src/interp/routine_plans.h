// Routine calls decoded once (the plan itself is in decoded_ops.h). Descriptors with arrays,
// channels, shared blocks or native code, and any that enter_routine would refuse, get no plan
// and keep running through enter_routine.
#pragma once

#include "interp/decoded_ops.h"

#include <optional>

namespace quillet {

// The plan of the call op at pc in the current module, if it can have one.
std::optional<RoutinePlan> plan_call(Addr pc);

// Builds the callee's frame from the plan and switches to it, as enter_routine does.
void enter_planned_routine(const RoutinePlan& plan);

} // namespace quillet
