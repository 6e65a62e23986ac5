// Ops decoded once: the hot ops with a fixed operand list are turned, at their first execution,
// into records of resolved operands, their jump target and the pc after them, so later executions
// skip the operand tables and the op-stream numbers. A straight run of ops is decoded at once
// into consecutive records, so that going on to the next op is the next record; a jump goes to
// the record linked to it. A bif with a native handler and a fixed operand list is a record too:
// it is called as from the op stream, and reads its operands from the record's list where they
// are where the stream has them (operands.h). Ops whose operands depend on the callee, and
// anything that does not decode cleanly, run from the op stream as before.
#pragma once

#include "bcode/ops.h"
#include "interp/interp_state.h"
#include "interp/op_stream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quillet {

// An operand resolved as far as the descriptor allows. Operands in the image's areas and in the
// global frame have fixed addresses (delta alone); frame operands count from the frame pointer
// (fp_mask all ones). Either way the fast form is (fp & fp_mask) + delta. Operands relative to the
// environment or a shared register need the generic form, vm.bases[base] + delta. The reference
// modes read the address stored there.
struct Operand {
    uint32_t delta = 0;
    uint32_t fp_mask = 0;
    uint8_t base = 0;
    bool indirect = false;
};

// A quick call's argument (routine_plans.h): the caller's variable in the fast form, and the slot
// or numeric cell it fills, counted from the callee's frame address.
struct QuickSlot {
    uint32_t delta;
    uint32_t fp_mask;
    int32_t at;
};

// Quick calls of up to this many arguments, all direct, have a handler for their counts of
// values and of references, which passes them without a loop and without a test of each, from
// the call's own record; the handler of the others counts them.
inline constexpr int quick_arg_limit = 4;

QUILLET_HOT_INLINE Addr fast_operand_address(const Operand& o, Addr fp) {
    return (fp & o.fp_mask) + o.delta;
}

QUILLET_HOT_INLINE Addr ref_operand_address(const Operand& o, Addr fp) {
    Addr a = fast_operand_address(o, fp);
    return o.indirect ? load_u32(a) : a;
}

QUILLET_HOT_INLINE Addr generic_operand_address(const Operand& o) {
    Addr a = vm.bases[o.base] + o.delta;
    return o.indirect ? load_u32(a) : a;
}

// Resolves the operand descriptor at desc; false when its mode is not one of the twelve.
bool resolve_operand(Addr desc, Operand& out);

// Whether p lies inside the image.
inline bool in_image(Addr p) {
    return p - program.image < program.image_size;
}

// The op bytes by name, from the one op list.
using enum bcode::OpByte;

// The ops the loop runs decoded. The control ops have no operands and one handler each. The
// others have three: the fast one for operands that are all in the fast form and direct, the ref
// one for fast-form operands of which some are references, the generic one otherwise.
#define QUILLET_DECODED_CONTROL_OPS(X)                                                             \
    X(jump_if_true)                                                                                \
    X(jump_if_false)                                                                               \
    X(jump)                                                                                        \
    X(gosub)                                                                                       \
    X(gosub_return)                                                                                \
    X(call)                                                                                        \
    X(return )                                                                                     \
    X(nop)                                                                                         \
    X(nop2)                                                                                        \
    X(bif)                                                                                         \
    X(bif_high)
// Other handlers of control ops, for common forms: a call whose plan is quick, counted, or with
// its count of numeric values V and of references R known (call_quick_V_R, in the order of
// quick_call_form; routine_plans.h).
#define QUILLET_DECODED_CONTROL_FORMS(X)                                                           \
    X(call_quick)                                                                                  \
    X(call_quick_0_0)                                                                              \
    X(call_quick_1_0)                                                                              \
    X(call_quick_0_1)                                                                              \
    X(call_quick_2_0)                                                                              \
    X(call_quick_1_1)                                                                              \
    X(call_quick_0_2)                                                                              \
    X(call_quick_3_0)                                                                              \
    X(call_quick_2_1)                                                                              \
    X(call_quick_1_2)                                                                              \
    X(call_quick_0_3)                                                                              \
    X(call_quick_4_0)                                                                              \
    X(call_quick_3_1)                                                                              \
    X(call_quick_2_2)                                                                              \
    X(call_quick_1_3)                                                                              \
    X(call_quick_0_4)
#define QUILLET_DECODED_OPERAND_OPS(X)                                                             \
    X(for_start)                                                                                   \
    X(for_next)                                                                                    \
    X(move)                                                                                        \
    X(num_eq)                                                                                      \
    X(num_gt)                                                                                      \
    X(num_ge)                                                                                      \
    X(add)                                                                                         \
    X(sub)                                                                                         \
    X(mul)                                                                                         \
    X(div)                                                                                         \
    X(str_move)                                                                                    \
    X(str_eq)                                                                                      \
    X(str_gt)                                                                                      \
    X(str_ge)                                                                                      \
    X(concat)                                                                                      \
    X(substr)                                                                                      \
    X(substr_assign)                                                                               \
    X(num_elem1)                                                                                   \
    X(str_elem1)

// The arithmetic ops that a for_next runs itself when they are its loop's whole body (an op in the
// fast form with direct operands, in the record before the for_next): the for_next record holds
// the op's operands and turns the loop inside its handler, for_next_<op>.
#define QUILLET_FUSED_BODY_OPS(X)                                                                  \
    X(add)                                                                                         \
    X(sub)                                                                                         \
    X(mul)

// The numeric compares that, in the fast form with direct operands and followed in their run by
// a jump_if_true or jump_if_false, branch on their result themselves: the compare's record takes
// the handler <op>_if_true or <op>_if_false, which runs both ops without dispatching to the
// second. The jump's record stays as it is, for a jump that lands on it.
#define QUILLET_COMPARE_JUMP_OPS(X)                                                                \
    X(num_eq)                                                                                      \
    X(num_gt)                                                                                      \
    X(num_ge)

// Handler numbers: 0 runs the op from the op stream; 1 ends a run of records (it goes on at the
// decoded op after the run without counting an op); 2 is a link stub (below); then the handler of
// each control op and of each control form, the three handlers of each operand op, the running
// total handlers of add, sub and mul (op t, x, t with t read through a reference and x direct, as
// a routine keeps a total in its caller's variable), the fused for_next handlers and the
// compares that branch.
enum Handler : uint8_t {
    handler_raw,
    handler_run_end,
    handler_link_stub,
#define QUILLET_CONTROL_HANDLER(name) handler_##name,
    QUILLET_DECODED_CONTROL_OPS(QUILLET_CONTROL_HANDLER)
        QUILLET_DECODED_CONTROL_FORMS(QUILLET_CONTROL_HANDLER)
#undef QUILLET_CONTROL_HANDLER
#define QUILLET_OPERAND_HANDLERS(name)                                                             \
    handler_##name, handler_##name##_ref, handler_##name##_generic,
            QUILLET_DECODED_OPERAND_OPS(QUILLET_OPERAND_HANDLERS)
#undef QUILLET_OPERAND_HANDLERS
#define QUILLET_TOTAL_HANDLER(name) handler_##name##_total,
                QUILLET_FUSED_BODY_OPS(QUILLET_TOTAL_HANDLER)
#undef QUILLET_TOTAL_HANDLER
#define QUILLET_FUSED_HANDLER(name) handler_for_next_##name,
                    QUILLET_FUSED_BODY_OPS(QUILLET_FUSED_HANDLER)
#undef QUILLET_FUSED_HANDLER
#define QUILLET_COMPARE_JUMP_HANDLERS(name) handler_##name##_if_true, handler_##name##_if_false,
                        QUILLET_COMPARE_JUMP_OPS(QUILLET_COMPARE_JUMP_HANDLERS)
#undef QUILLET_COMPARE_JUMP_HANDLERS
                            handler_count
};

// A call's plan (routine_plans.h).
struct RoutinePlan;

struct DecodedOp {
    const void* label = nullptr; // where the op loop runs the handler, when it has labels
    uint8_t handler = handler_raw;
    uint32_t module = 0; // the module it was decoded in, the only one it runs in
    Addr next = 0;       // pc after the op and its operands, where the next record goes on
    Addr target = 0;     // jumps, FOR and GOSUB: where the offset leads; for_next: its loop's body;
                         // call: the callee's first op; the end of a run: the pc after the run;
                         // return, gosub_return: the pc it last returned to (0 before)
    // The decoded op at target, linked at first use. Until then it is the op's link stub, a
    // record whose handler makes the link: its target is the op's, its jump the op itself.
    // return, gosub_return: the decoded op at target, which the next return to the same pc
    // goes on at.
    DecodedOp* jump = nullptr;
    Addr head = 0; // for_next: the FOR op it steps; bif: the bif's number
    union {
        const RoutinePlan* plan = nullptr; // call
        const BifOperand* bif_operands;    // bif: its operands, resolved (interp_state.h)
    };
    union {
        Operand x[4] = {}; // for_next_<op>: the body op's operands
        // call_quick_V_R: its arguments, the values first, in the record the handler holds
        // already (one load less between the call and the words it writes).
        QuickSlot quick[quick_arg_limit];
    };
};

// The record of every op that runs from the op stream (handler_raw).
inline DecodedOp* raw_op() {
    static DecodedOp mark;
    return &mark;
}

// Forgets every decoded op; the next run decodes from the image laid out now.
void reset_decoded_ops();

// Decodes the op at pc in the image, which has no record yet, and the straight run of ops after
// it, in the current module; the op's record, or raw_op() when it runs from the op stream.
// labels are the op loop's handler addresses by handler number, which new records take as their
// label; null when the loop dispatches on handler numbers.
DecodedOp* decode_op_at(Addr pc, const void* const* labels);

// The decoded op at pc in the current module, decoding it now if it has no record; raw_op() when
// it runs from the op stream, pc lies outside the image, or its record is of another module
// (code that a made-up image reaches under two modules runs from the op stream under the one it
// was not decoded in, whose operand tables it reads).
QUILLET_HOT_INLINE DecodedOp* decoded_op_at(Addr pc, const void* const* labels) {
    uint32_t rel = pc - decoded.image;
    if (rel >= decoded.size) return raw_op();
    DecodedOp* d = decoded.slot[rel];
    if (!d) [[unlikely]]
        return decode_op_at(pc, labels);
    return d->module == vm.module ? d : raw_op();
}

} // namespace quillet
