// Routine calls planned once per call site. A plan is the one description of the frames a call
// builds: read from the callee's entry descriptor (by bcode's descriptor reader), with the place
// of every local and parameter in its frame and the call site's argument operands resolved.
// enter_routine builds every frame from a plan; a call op whose plan is plain (one frame with
// numeric and string locals, fixed-length strings, value, reference and result parameters and
// reserved slots) also enters it inline in the op loop.
#pragma once

#include "bcode/descriptor.h"
#include "interp/decoded_ops.h"
#include "interp/frames.h"
#include "values/numbers.h"
#include "values/strings.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillet {

// A fatal stop that enter_routine reaches at a step instead of doing it: a descriptor that does
// not fit its frame, is cut short or has a bad code, an argument operand in no address mode, a
// bad shared register. The plan keeps the stop at its place, so that what comes before it (an
// array that cannot be allocated raises first) happens as it did.
enum class PlanFault : uint8_t {
    none,
    frame_error,        // "stack frame error" where the step would take its place in the frame
    bad_operand_mode,   // at the argument fetch: number holds the mode
    shared_stack_error, // at a shared block's end
};

// One descriptor code after the two local counts.
struct PlanStep {
    uint8_t code = bcode::desc_none;
    PlanFault fault = PlanFault::none;
    int32_t at = 0;      // the slot or numeric cell, counted from the frame address
    uint32_t number = 0; // fixed_string: maximum length; channel: the local channel; reserve: the
                         // count; bad_operand_mode: the mode
    Addr data = 0;       // num_array, str_array: the array template in the descriptor
    Addr pc = 0;         // the caller's pc after this step's argument operand
    Operand arg;
};

// One frame: a shared block, or the routine's own frame.
struct FramePlan {
    uint32_t size = 0; // bytes
    uint32_t numeric_locals = 0;
    uint32_t string_locals = 0;
    uint16_t release_count = 0; // adjacent, as the frame keeps them
    uint16_t reference_count = 0;
    uint8_t end = bcode::desc_none; // own_env, caller_env, shared_block or native; none when a
                                    // fault step stops the call first
    uint8_t shared_register = 0;    // shared_block: 0..2
    Addr native = 0;                // native: the routine's data in the descriptor
    int32_t lo = 0;                 // native: the numeric region's end and the slots' end
    int32_t hi = 0;
    Addr start_pc = 0; // the caller's pc when the frame is started, and after its last argument
    Addr end_pc = 0;
    std::vector<PlanStep> steps;
};

// A numeric value or a reference parameter of a quick plan, its argument in the fast form:
// (caller's frame & fp_mask) + delta, read through when indirect.
struct QuickArg {
    QuickSlot slot{};
    bool indirect = false;
    bool value = false; // a numeric value copied; otherwise the argument's address
};

struct RoutinePlan {
    uint32_t module = 0; // the callee's module
    Addr body = 0;       // the callee's first op, after its descriptor
    Addr return_pc = 0;  // the caller's pc after the argument operands
    Addr raise_pc = 0;   // the caller's pc at the call's first check: after the routine index
    bool plain = false;  // enter_planned_routine can build it
    // A plain plan of only numeric values, references and reserved slots, with every argument
    // in a fixed place or the caller's frame: enter_quick_routine builds it from quick_args (or
    // their slots, which the call's record holds).
    bool quick = false;
    bool quick_locals = false; // the frame has numeric or string locals
    bool quick_direct = false; // no argument is read through a reference
    // Of quick_args, the numeric values come first and then the references: each writes its own
    // word of the new frame and reads only the caller's variables, so their order is free.
    uint32_t quick_values = 0;
    uint32_t counts = 0; // the frame's two counts as one word: references << 16 | releases
    // Where the caller resumes, as its frame keeps it: the module over the pc, one word (the
    // call's own module, which its plan is made for).
    uint64_t resume = 0;
    bool other_module = false; // the callee is in another module than the call
    std::vector<QuickArg> quick_args;
    std::vector<FramePlan> blocks; // the shared blocks in front of the routine's frame
    FramePlan frame;               // the routine's frame (the last one read)
};

// The plan of a call, from the caller's op stream at args (in the current module), of the
// routine whose entry descriptor is at entry in module target; made at the first such call and
// kept until the decoded ops are reset.
const RoutinePlan& routine_plan(Addr entry, uint32_t target, Addr args);

// Forgets every plan (with the decoded ops).
void reset_routine_plans();

// The plan of the call op at pc in the current module, if it is plain.
const RoutinePlan* plan_call(Addr pc);

// Builds the frames of a plan and switches to the callee (or runs its native procedure), as
// enter_routine does.
void enter_routine_by_plan(const RoutinePlan& plan);

// Whether the callee's frame fits on the value stack; the caller raises 5000 when it does not.
QUILLET_HOT_INLINE bool plan_fits(const RoutinePlan& plan) {
    return vm.sp - vm.stack_base >= plan.frame.size;
}

// The steps of a plain plan other than value and reference parameters and reserved slots:
// fixed-length string locals, string values and result parameters.
void run_plan_step(const PlanStep& step, Addr at);

// Builds the callee's frame from a plain plan, which fits (plan_fits), and switches to it.
QUILLET_HOT_INLINE void enter_planned_routine(const RoutinePlan& plan) {
    const FramePlan& f = plan.frame;
    Addr s = vm.sp;
    start_frame_header(s, vm.fp(), vm.env());
    Addr numbers = s + 4 - f.size;
    for (uint32_t k = 0; k < f.numeric_locals; ++k)
        store_cell(numbers + 8 * k, num_int(0));
    Addr slots = s - frame::header;
    for (uint32_t k = 1; k <= f.string_locals; ++k)
        store_cell(slots - 8 * k, make_cell(empty_string, no_max_length));
    // Value and reference parameters inline, in the descriptor's order (a result parameter
    // may clear a variable that an earlier value parameter copied).
    for (const PlanStep& step : f.steps) {
        Addr at = s + uint32_t(step.at);
        if (step.code == bcode::desc_num_value)
            store_cell(at, load_cell(generic_operand_address(step.arg)));
        else if (step.code >= bcode::desc_num_ref && step.code <= bcode::desc_str_array_ref)
            store_cell(at, make_cell(generic_operand_address(step.arg), 0));
        else if (step.code != bcode::desc_reserve)
            run_plan_step(step, at);
    }
    if (f.end == bcode::desc_own_env) vm.env() = s;
    switch_to_frame(s, f.release_count, f.reference_count, plan.return_pc, plan.module, s - f.size,
                    plan.body);
}

// One argument of a quick call into the callee's frame w, from the caller's frame fp; read
// through when it is indirect.
QUILLET_HOT_INLINE void pass_quick_arg(const QuickArg& a, FrameWords w, Addr fp) {
    Addr x = (fp & a.slot.fp_mask) + a.slot.delta;
    if (a.indirect) x = load_u32(x);
    w.set_cell(a.slot.at, a.value ? load_cell(x) : make_cell(x, 0));
}

// A direct argument known to be a numeric value, or known to be a reference.
template <bool value>
QUILLET_HOT_INLINE void pass_direct_arg(const QuickSlot& a, FrameWords w, Addr fp) {
    Addr x = (fp & a.fp_mask) + a.delta;
    w.set_cell(a.at, value ? load_cell(x) : make_cell(x, 0));
}

// The direct arguments args[k...], values first and then references, one after the other
// without a loop and without a test.
template <size_t values, size_t... k>
QUILLET_HOT_INLINE void pass_quick_args([[maybe_unused]] const QuickSlot* args,
                                        [[maybe_unused]] FrameWords w, [[maybe_unused]] Addr fp,
                                        std::index_sequence<k...>) {
    (pass_direct_arg<(k < values)>(args[k], w, fp), ...);
}

// Builds the callee's frame at s from a quick plan, which fits there (plan_fits), from the op
// loop, whose current frame fp is the caller's, and switches to it: what enter_planned_routine
// does, with the arguments read straight from their fast form, the frame's words written through
// a host pointer, and the module's tables kept when the callee is in the caller's module. vm.pc
// is left to the op loop, which holds the callee's first op. values and refs are the plan's
// counts of numeric value and reference arguments, all direct and in slots (the call's record), or
// both -1 to count them in the plan.
template <int values, int refs>
QUILLET_HOT_INLINE void enter_quick_routine(const RoutinePlan& plan,
                                            [[maybe_unused]] const QuickSlot* slots, Addr s,
                                            Addr fp) {
    static_assert(frame::pc == frame::module + 4, "the pc lies just under the module");
    const FramePlan& f = plan.frame;
    uint32_t size = f.size; // read once: the frame's stores could alias the plan for the compiler
    start_frame_header(s, fp, vm.env());
    FrameWords w(s);
    if (plan.quick_locals) {
        if (f.numeric_locals) w.fill(4 - int32_t(size), f.numeric_locals, num_int(0));
        if (f.string_locals) [[unlikely]]
            w.fill(under(frame::header) - 8 * int32_t(f.string_locals), f.string_locals,
                   make_cell(empty_string, no_max_length));
    }
    if constexpr (values < 0) {
        for (const QuickArg& a : plan.quick_args)
            pass_quick_arg(a, w, fp);
    } else {
        pass_quick_args<values>(slots, w, fp, std::make_index_sequence<values + refs>{});
    }
    if (f.end == bcode::desc_own_env) vm.env() = s;
    w.set_u32(under(frame::release_count), plan.counts);
    FrameWords(fp).set_cell(under(frame::pc), plan.resume);
    vm.fp() = s;
    if (plan.other_module) [[unlikely]]
        set_module(plan.module);
    vm.sp = s - size;
}

} // namespace quillet
