// The op loops. One function template holds them. Decoded ops (decoded_ops.h) run from their
// records and go straight on to the decoded op that follows them; every other op runs from the op
// stream, where each case decodes its operands with the op_stream readers and calls a primitive.
// The pc, the frame pointer and the count of ops to the next pump live in locals and are written
// back around every call that reads or changes them (bifs, routine calls, the pump), and when an
// op raises.
#include "interp/op_loop.h"

#include "interp/bif_dispatch.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/for_loops.h"
#include "interp/frames.h"
#include "interp/op_stream.h"
#include "interp/operands.h"
#include "interp/quick_numbers.h"
#include "interp/registers.h"
#include "interp/routine_plans.h"
#include "interp/upper_layer_hooks.h"
#include "values/arrays.h"
#include "values/numbers.h"
#include "values/string_ops.h"
#include "values/strings.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <utility>

namespace quillet {
namespace {

// A byte that is no op, at pc (kept out of line: the loop's code stays small).
[[noreturn, gnu::noinline, gnu::cold]] void illegal_op(Addr pc) {
    char detail[96];
    std::snprintf(detail, sizeof detail, "byte 0x%02X at %s is not an op", load_u8(pc),
                  code_position(pc).c_str());
    fatal_stop("illegal op", detail);
}

// The element of a one-dimensional array reference; false outside the array.
QUILLET_HOT_INLINE bool find_vector_element(Addr array_cell, int32_t index, Addr& element) {
    ArrayBlock a{load_u32(array_cell)};
    int64_t i = int64_t(index) - a.lower_bound(0);
    if (i < 0 || i >= a.count()) [[unlikely]]
        return false;
    element = a.element(int32_t(i));
    return true;
}

// The element that the index operands at pc name in the array at array_cell (one for each of its
// dimensions, or one for the first only); false outside the array. Every index operand is read
// either way, so that a raise reports the pc after them.
bool find_element(Addr array_cell, Addr& pc, bool all_dimensions_given, Addr& element) {
    if (!all_dimensions_given)
        return find_vector_element(array_cell, num_to_int32(load_cell(fetch_num(pc))), element);
    ArrayBlock a{load_u32(array_cell)};
    int64_t flat = 0;
    bool inside = true;
    for (int32_t d = 0; d < a.dimensions(); ++d) {
        int64_t i = int64_t(num_to_int32(load_cell(fetch_num(pc)))) - a.lower_bound(d);
        inside = inside && i >= 0 && i < a.size(d);
        if (inside) flat = flat * a.size(d) + i;
    }
    if (inside) element = a.element(int32_t(flat));
    return inside;
}

// An element reference from the op stream: the array operand, its indexes and the slot operand,
// whose descriptor names the frame word that takes the element's address; 2001 outside the
// array, with the pc after the op, as the decoded op raises it.
void element_reference(Addr& pc, Addr array_table, Addr slot_table, bool all_dimensions_given) {
    Addr array = fetch_operand(pc, array_table);
    Addr element = 0;
    bool inside = find_element(array, pc, all_dimensions_given, element);
    Addr desc = fetch_descriptor(pc, slot_table);
    if (!inside) {
        vm.pc = pc;
        raise_error(err::subscript_range);
    }
    store_u32(vm.fp() - load_u16(desc + 2), element);
}

int32_t jump_table_index(Cell v) {
    if (is_int(v)) return int_value(v);
    double d = double_value(v);
    if (d >= 0 && d <= 2147483647.0 && d == double(int64_t(d))) return int32_t(d);
    return -1;
}

// The decoded op d may raise from here on: a raise reports it at its pc with its count of ops.
QUILLET_HOT_INLINE void may_raise(DecodedOp* d, uint32_t countdown) {
    decoded.running = d;
    decoded.countdown = countdown;
}

// What each op does, written once for both ways of running it: from the op stream, which reads
// the operands' addresses in operand order, and decoded, which has them resolved. The ops whose
// whole meaning is one primitive of values/ (concat, substr, substr_assign) call it directly.
// before_raise runs before the first step that can raise (a decoded op records itself there; an op
// from the stream has already done so).
namespace ops {

QUILLET_HOT_INLINE void move(Addr from, Addr to) {
    store_cell(to, load_cell(from));
}

// for_start: true when the loop runs no round (a jump past its NEXT).
QUILLET_HOT_INLINE bool for_start_skips(Addr var, Addr start, Addr limit, Addr step) {
    Cell first = load_cell(start), last = load_cell(limit), by = load_cell(step);
    store_cell(var, first);
    forget_for_cache();
    return loop_done(first, last, num_is_negative(by));
}

QUILLET_HOT_INLINE bool num_eq(Addr a, Addr b) {
    return num_equal(load_cell(a), load_cell(b));
}
QUILLET_HOT_INLINE bool num_gt(Addr a, Addr b) {
    return quick_less(load_cell(b), load_cell(a));
}
QUILLET_HOT_INLINE bool num_ge(Addr a, Addr b) {
    return !quick_less(load_cell(a), load_cell(b));
}

// The kinds of two operands of which one at least is a double.
enum class OperandPair : uint8_t { doubles, double_int, int_double };

// What arithmetic stored: an integer or the primitive's result (other), or a double as computed
// from operands of a pair's kinds (the pair's number).
using Stored = int;
inline constexpr Stored other = -1;

// add, sub and mul: the quick result where the primitive would store it as computed; otherwise
// the primitive, which normalizes it or raises. A double operand is read into a floating-point
// register by a load of its own and a double result stored from there, so that a value carried
// from op to op through its cell (x = x * k + i) waits for no move between register files.
template <typename Rule, Cell (*primitive)(Cell, Cell), typename BeforeRaise>
QUILLET_HOT_INLINE Stored arithmetic(Addr a, Addr b, Addr result, BeforeRaise before_raise) {
    Cell x = load_cell(a), y = load_cell(b);
    // Integers first and in line: a record whose operands are doubles runs its paired handler.
    if (both_int(x, y)) [[likely]] {
        int32_t v;
        if (Rule::int_result(int_value(x), int_value(y), v)) [[likely]] {
            store_cell(result, num_int(v));
            return other;
        }
    }
    // Here one operand at least is a double, most often both.
    double r = Rule::apply(__builtin_expect(is_int(x), 0) ? double(int_value(x)) : load_double(a),
                           __builtin_expect(is_int(y), 0) ? double(int_value(y)) : load_double(b));
    if (!is_plain_double(std::bit_cast<Cell>(r))) [[unlikely]] {
        before_raise();
        store_cell(result, primitive(x, y));
        return other;
    }
    store_double(result, r);
    if (!is_int(x)) return Stored(is_int(y) ? OperandPair::double_int : OperandPair::doubles);
    return is_int(y) ? other : Stored(OperandPair::int_double);
}

// arithmetic for operands of the kinds pair: true, with the result stored, when they are of those
// kinds and the result is stored as computed; false, with nothing done, otherwise. Only an
// operand taken for an integer is tested: an integer's cell read as a double is a NaN (its high
// word is all ones), so an operand taken for a double that is not one makes the result NaN,
// which is never stored as computed.
template <typename Rule, OperandPair pair>
QUILLET_HOT_INLINE bool paired_arithmetic(Addr a, Addr b, Addr result) {
    double r;
    if constexpr (pair == OperandPair::doubles) {
        r = Rule::apply(load_double(a), load_double(b));
    } else if constexpr (pair == OperandPair::double_int) {
        Cell y = load_cell(b);
        if (!is_int(y)) return false;
        r = Rule::apply(load_double(a), double(int_value(y)));
    } else {
        Cell x = load_cell(a);
        if (!is_int(x)) return false;
        r = Rule::apply(double(int_value(x)), load_double(b));
    }
    if (!is_plain_double(std::bit_cast<Cell>(r))) [[unlikely]]
        return false;
    store_double(result, r);
    return true;
}

QUILLET_HOT_INLINE void div(Addr a, Addr b, Addr result) {
    Cell x = load_cell(a), y = load_cell(b);
    store_cell(result, num_div(x, y));
}

QUILLET_HOT_INLINE void str_move(Addr from, Addr to) {
    str_assign(to, load_u32(from));
}
QUILLET_HOT_INLINE bool str_eq(Addr a, Addr b) {
    return str_view(load_u32(a)) == str_view(load_u32(b));
}
QUILLET_HOT_INLINE bool str_gt(Addr a, Addr b) {
    return str_after(load_u32(a), load_u32(b));
}
QUILLET_HOT_INLINE bool str_ge(Addr a, Addr b) {
    Addr x = load_u32(a), y = load_u32(b);
    return str_after(x, y) || str_view(x) == str_view(y);
}
} // namespace ops

// for_next at next (the pc after it) of the loop whose FOR op is at head: goes_on when the loop
// goes on to its body, ends when it is done. A statement rather than a function, so that a decoded
// op branches straight to the body or the exit: the upward integer step is inline, and so is any
// other step whose sum is stored as computed; the general step can raise (before_raise first).
#define FOR_NEXT(head, next, goes_on, ends, before_raise)                                          \
    do {                                                                                           \
        if (for_cache.int_up_pc == (next) && for_cache.key_fp == fp) [[likely]] {                  \
            Cell var = load_cell(for_cache.var);                                                   \
            int32_t v;                                                                             \
            if (is_int(var) && !__builtin_add_overflow(int_value(var), for_cache.int_step, &v))    \
                [[likely]] {                                                                       \
                store_cell(for_cache.var, num_int(v));                                             \
                if (v <= for_cache.int_limit) goes_on;                                             \
                ends;                                                                              \
            }                                                                                      \
        } else if (for_cache.key_pc != (next) || for_cache.key_fp != fp) {                         \
            /* Filling the cache reads operands: an illegal mode is a fatal stop, not a raise. */  \
            fill_for_cache(head, next, fp);                                                        \
        }                                                                                          \
        if (bool step_goes_on; quick_step_for_loop(step_goes_on)) [[likely]] {                     \
            if (step_goes_on) goes_on;                                                             \
            ends;                                                                                  \
        }                                                                                          \
        before_raise;                                                                              \
        if (step_for_loop()) goes_on;                                                              \
        ends;                                                                                      \
    } while (0)

// How a loop turned by a fused for_next handler stopped turning.
enum class FusedLoopEnd {
    done,         // the step was taken and the loop ends: on after the for_next
    jump_back,    // the step was taken and the loop goes on, but the count of ops reaches a
                  // check point before the body has run: the jump to the body as usual
    general_step, // nothing done: the step goes the general way
};

// What a fused loop keeps in registers from one round to the next: the variable's value, unless
// the body writes the variable; and the body's result, when the body's first operand is its
// result (a running total). Every round still stores both, so the cells are always current.
enum class KeptValues { none, variable, variable_and_result };

// Turns the cached loop of the fused for_next d, whose body (the record before d) is Rule's op on
// d's operands in the fast form, and whose cache steps as how says: each round steps the loop,
// then runs the body, and counts both ops, exactly as the two records would, while the count
// allows both before the next check point.
template <typename Rule, Cell (*primitive)(Cell, Cell), ForStep how, KeptValues kept>
QUILLET_HOT_INLINE FusedLoopEnd turn_loop_steps(DecodedOp* d, Addr fp, uint32_t& countdown) {
    const LoopStepper stepper(for_cache);
    Addr a = fast_operand_address(d->x[0], fp);
    Addr b = fast_operand_address(d->x[1], fp);
    Addr r = fast_operand_address(d->x[2], fp);
    RunningValue<how> current = stepper.load_var<how>();
    Cell result = load_cell(r);
    for (;;) {
        bool goes_on;
        if (!stepper.quick_step<how>(current, goes_on)) [[unlikely]]
            return FusedLoopEnd::general_step;
        if (!goes_on) return FusedLoopEnd::done;
        if (countdown <= 2) [[unlikely]]
            return FusedLoopEnd::jump_back;
        Cell x = kept == KeptValues::variable_and_result ? result : load_cell(a);
        Cell y = load_cell(b);
        if (!quick_arithmetic<Rule>(x, y, result)) [[unlikely]] {
            may_raise(d - 1, countdown - 1);
            result = primitive(x, y);
        }
        store_cell(r, result);
        countdown -= 2;
        if constexpr (kept == KeptValues::none) current = stepper.load_var<how>();
    }
}

// The end of a turn, with the count of ops to the next check point after it.
struct FusedLoopTurn {
    FusedLoopEnd end;
    uint32_t countdown;
};

template <typename Rule, Cell (*primitive)(Cell, Cell), ForStep how>
QUILLET_HOT_INLINE FusedLoopEnd turn_loop(DecodedOp* d, Addr fp, uint32_t& countdown) {
    Addr a = fast_operand_address(d->x[0], fp);
    Addr r = fast_operand_address(d->x[2], fp);
    // The body's result overlaps the variable's cell: the variable is read anew every round.
    if (r - for_cache.var + 7 < 15)
        return turn_loop_steps<Rule, primitive, how, KeptValues::none>(d, fp, countdown);
    if (a == r)
        return turn_loop_steps<Rule, primitive, how, KeptValues::variable_and_result>(d, fp,
                                                                                      countdown);
    return turn_loop_steps<Rule, primitive, how, KeptValues::variable>(d, fp, countdown);
}

// Kept out of the op loop, whose registers it would otherwise share with every other handler;
// it runs once per turn of many rounds. Its loops are the whole of a fused FOR loop, whose speed
// moved by a sixth with where the code before them happened to end: aligned, they keep one place.
template <typename Rule, Cell (*primitive)(Cell, Cell)>
[[gnu::noinline, gnu::aligned(64)]] FusedLoopTurn turn_fused_loop(DecodedOp* d, Addr fp,
                                                                  uint32_t countdown) {
    FusedLoopEnd end;
    switch (for_cache.how) {
    case ForStep::int_up:
        end = turn_loop<Rule, primitive, ForStep::int_up>(d, fp, countdown);
        break;
    case ForStep::int_down:
        end = turn_loop<Rule, primitive, ForStep::int_down>(d, fp, countdown);
        break;
    case ForStep::double_up:
        end = turn_loop<Rule, primitive, ForStep::double_up>(d, fp, countdown);
        break;
    case ForStep::double_down:
        end = turn_loop<Rule, primitive, ForStep::double_down>(d, fp, countdown);
        break;
    default: end = turn_loop<Rule, primitive, ForStep::general>(d, fp, countdown); break;
    }
    return {end, countdown};
}

enum class LoopKind { main, nested, slice };

// Counts the ops run since the last charge (in every loop, slices included) against a bounded
// run's budget, and ends the run when it is spent.
void charge_op_budget() {
    uint32_t run = vm.op_counter - vm.op_budget_mark;
    vm.op_budget_mark = vm.op_counter;
    if (run >= vm.op_budget) program_exit();
    vm.op_budget -= run;
}

// The count of ops from here to the main or nested loop's next check point: the next pump, and
// in a bounded run at most longest_stretch ops after the budget was last charged. The stretch
// counts from that charge, not from here: a loop that sets the op-step divisor on every round
// reloads its count at each of those calls out, and would otherwise never reach a check point.
QUILLET_HOT_INLINE uint32_t ops_to_next_check() {
    uint32_t since_charge = vm.op_counter - vm.op_budget_mark;
    uint32_t stretch_left =
        since_charge < vm.longest_stretch ? vm.longest_stretch - since_charge : 1;
    return std::min(vm.ops_to_pump ? vm.ops_to_pump : 1, stretch_left);
}

// The op counter at the running loop's next check point (interp_state.h).
constexpr uint32_t& check_counter = interp_state.check_counter;

// The loops dispatch through tables of label addresses where the compiler has them (GCC and
// clang); otherwise, or when QUILLET_SWITCH_DISPATCH is defined (the sanitizer build does, so
// that the tests run both ways), through switches on the handler and op numbers.
#if defined(__GNUC__) && !defined(QUILLET_SWITCH_DISPATCH)
#define QUILLET_LABEL_DISPATCH 1
#pragma GCC diagnostic ignored "-Wpedantic"
#else
#define QUILLET_LABEL_DISPATCH 0
#endif

// A slice of live scrolling runs until the op counter is a multiple of this.
constexpr uint32_t slice_ops = 3200;

// One function for the three loops: what sets them apart is only looked at off the hot paths, and
// one function gives every handler one address, which each decoded op records. It holds no
// handler of its own (op_loop below catches raises), so that the compiler keeps its state in
// registers: vm.pc is kept current wherever an op from the op stream can raise, and
// decoded.running names the decoded op that is running if it can raise (RAISES in its handler),
// or raw_op() for an op from the stream, with the count of ops to the next check point; an op
// that calls out (CALL) stores the count itself.
[[gnu::noinline]] void op_loop_body(LoopKind kind, bool after_raise) {
#if QUILLET_LABEL_DISPATCH
    static const void* const handlers[handler_count] = {
        &&handler_raw, &&handler_run_end, &&handler_link_stub,
#define QUILLET_CONTROL_LABEL(name) &&control_##name,
        QUILLET_DECODED_CONTROL_OPS(QUILLET_CONTROL_LABEL)
            QUILLET_DECODED_CONTROL_FORMS(QUILLET_CONTROL_LABEL)
#undef QUILLET_CONTROL_LABEL
#define QUILLET_OPERAND_LABELS(name) &&fast_##name, &&ref_##name, &&generic_##name,
                QUILLET_DECODED_OPERAND_OPS(QUILLET_OPERAND_LABELS)
#undef QUILLET_OPERAND_LABELS
#define QUILLET_TOTAL_LABEL(name) &&total_##name,
                    QUILLET_FUSED_BODY_OPS(QUILLET_TOTAL_LABEL)
#undef QUILLET_TOTAL_LABEL
#define QUILLET_FUSED_LABEL(name) &&fused_for_next_##name,
                        QUILLET_FUSED_BODY_OPS(QUILLET_FUSED_LABEL)
#undef QUILLET_FUSED_LABEL
#define QUILLET_COMPARE_JUMP_LABELS(name) &&name##_if_true, &&name##_if_false,
                            QUILLET_COMPARE_JUMP_OPS(QUILLET_COMPARE_JUMP_LABELS)
#undef QUILLET_COMPARE_JUMP_LABELS
    };
    static void* dispatch_table[256];
    if (!dispatch_table[0]) {
        raw_op()->label = &&handler_raw;
        for (void*& entry : dispatch_table)
            entry = &&label_illegal;
#define QUILLET_OP(byte, name, operands) dispatch_table[byte] = &&label_##name;
#include "bcode/ops.def"
#undef QUILLET_OP
    }
    const void* const* labels = handlers;
// On to the handler of the decoded op d; on to the op stream's case of op.
#define GOTO_HANDLER goto * d->label
#define GOTO_OP goto* dispatch_table[op]
#else
    const void* const* labels = nullptr;
#define GOTO_HANDLER goto handler_switch
#define GOTO_OP goto op_switch
#endif

    Addr pc = 0;
    Addr fp = 0;
    uint32_t countdown = 0; // ops to the next check point (pump, or the end of a slice)
    uint8_t op = 0;         // the op being run from the op stream
    DecodedOp* d = nullptr; // the decoded op being run

// The registers that live in locals, to and from vm.
#define SAVE_STATE()                                                                               \
    do {                                                                                           \
        vm.pc = pc;                                                                                \
        SAVE_COUNT();                                                                              \
    } while (0)
#define SAVE_COUNT()                                                                               \
    do {                                                                                           \
        vm.op_counter = check_counter - countdown;                                                 \
        if (kind != LoopKind::slice) vm.ops_to_pump = countdown;                                   \
    } while (0)
#define LOAD_STATE()                                                                               \
    do {                                                                                           \
        pc = vm.pc;                                                                                \
        fp = vm.fp();                                                                              \
        if (kind == LoopKind::slice)                                                               \
            countdown = slice_ops - vm.op_counter % slice_ops;                                     \
        else                                                                                       \
            countdown = ops_to_next_check();                                                       \
        check_counter = vm.op_counter + countdown;                                                 \
    } while (0)
#define CALL(expr)                                                                                 \
    do {                                                                                           \
        SAVE_STATE();                                                                              \
        decoded.running = nullptr; /* vm.pc is current */                                          \
        expr;                                                                                      \
        decoded.running = nullptr; /* a nested loop may have left its own */                       \
        LOAD_STATE();                                                                              \
    } while (0)
// A decoded op goes on to the next record, or jumps to the decoded op linked to it; the slow
// paths reach check points and make links.
#define FALL                                                                                       \
    do {                                                                                           \
        if (__builtin_expect(--countdown == 0, 0)) {                                               \
            pc = d->next;                                                                          \
            goto check_point;                                                                      \
        }                                                                                          \
        ++d;                                                                                       \
        GOTO_HANDLER;                                                                              \
    } while (0)
#define JUMP                                                                                       \
    do {                                                                                           \
        if (__builtin_expect(--countdown == 0, 0)) {                                               \
            pc = d->target;                                                                        \
            goto jump_slow;                                                                        \
        }                                                                                          \
        d = d->jump;                                                                               \
        GOTO_HANDLER; /* a link stub's handler makes the link */                                   \
    } while (0)
#define RAISES may_raise(d, countdown)
// A return or GOSUB return goes on at pc. Most go back where they went last time: the record
// keeps that pc and its decoded op, so that the table of pcs is not searched again.
#define GO_ON_AT_RETURN_PC                                                                         \
    do {                                                                                           \
        if (kind == LoopKind::nested) goto dispatch_at_pc;                                         \
        if (pc == d->target) [[likely]] {                                                          \
            d = d->jump;                                                                           \
            GOTO_HANDLER;                                                                          \
        }                                                                                          \
        DecodedOp* resumed = decoded_op_at(pc, labels);                                            \
        /* Going on at a raw op needs pc, and an op of another module than the return's is not   \
           the op there after a return within the module: neither is remembered. */             \
        if (resumed != raw_op() && resumed->module == d->module) {                                 \
            d->target = pc;                                                                        \
            d->jump = resumed;                                                                     \
        }                                                                                          \
        d = resumed;                                                                               \
        GOTO_HANDLER;                                                                              \
    } while (0)

    LOAD_STATE();
    // The op that raised counts as run, so that a program caught in a loop of raises still
    // reaches its pump points (and stays responsive).
    if (after_raise) goto op_done_at_pc;
    goto dispatch_at_pc;

#define H(name) control_##name:
#include "interp/decoded_control_handlers.inc"
#undef H
// A record of add, sub or mul in the fast form, or a running total, that stored a double as
// computed takes the paired handler for the kinds of its operands (below).
#if QUILLET_LABEL_DISPATCH
#define PAIRED_LABELS(name)                                                                        \
    static const void* const paired_##name[] = {                                                   \
        &&paired_##name##_doubles, &&paired_##name##_double_int, &&paired_##name##_int_double};
    PAIRED_LABELS(add)
    PAIRED_LABELS(sub)
    PAIRED_LABELS(mul)
    PAIRED_LABELS(total_add)
    PAIRED_LABELS(total_sub)
    PAIRED_LABELS(total_mul)
#undef PAIRED_LABELS
#define CHOOSE_PAIRED(name, arithmetic)                                                            \
    if (ops::Stored stored = arithmetic; stored != ops::other) [[unlikely]]                        \
        d->label = paired_##name[stored];
#else
#define CHOOSE_PAIRED(name, arithmetic) arithmetic;
#endif
// In decoded_handlers.inc: the fast form chooses, the reference and generic forms do not.
#define PAIRED_AFTER(name, arithmetic) CHOOSE_PAIRED(name, arithmetic)
#define H(name) fast_##name:
#define A(i) fast_operand_address(d->x[i], fp)
#include "interp/decoded_handlers.inc"
#undef A
#undef H
#undef PAIRED_AFTER
#define PAIRED_AFTER(name, arithmetic) arithmetic;
#define H(name) ref_##name:
#define A(i) ref_operand_address(d->x[i], fp)
#include "interp/decoded_handlers.inc"
#undef A
#undef H
#define H(name) generic_##name:
#define A(i) generic_operand_address(d->x[i])
#include "interp/decoded_handlers.inc"
#undef A
#undef H
#undef PAIRED_AFTER

// The running total handlers: the total's address is read once, through its reference.
#define TOTAL(name, Rule, primitive)                                                               \
    total_##name : {                                                                               \
        Addr total = load_u32(fast_operand_address(d->x[0], fp));                                  \
        CHOOSE_PAIRED(total_##name,                                                                \
                      (ops::arithmetic<Rule, primitive>(total, fast_operand_address(d->x[1], fp),  \
                                                        total, [=] { RAISES; })))                  \
        FALL;                                                                                      \
    }
    TOTAL(add, quick::Add, num_add)
    TOTAL(sub, quick::Sub, num_sub)
    TOTAL(mul, quick::Mul, num_mul)
#undef TOTAL

#if QUILLET_LABEL_DISPATCH
// The paired handlers of add, sub and mul in the fast form and as running totals: a record whose
// double result was stored as computed runs the handler for the kinds its operands had then
// (ops::paired_arithmetic), which tests those kinds only. When they differ, or the result needs
// the primitive, the record goes back to its own handler, which runs the op and may choose again.
#define PAIRED(name, Rule, pair, total_first)                                                      \
    paired_##name##_##pair : {                                                                     \
        Addr a = fast_operand_address(d->x[0], fp);                                                \
        if (total_first) a = load_u32(a);                                                          \
        Addr r = total_first ? a : fast_operand_address(d->x[2], fp);                              \
        if (ops::paired_arithmetic<Rule, ops::OperandPair::pair>(                                  \
                a, fast_operand_address(d->x[1], fp), r)) [[likely]]                               \
            FALL;                                                                                  \
        d->label = labels[d->handler];                                                             \
        GOTO_HANDLER;                                                                              \
    }
#define PAIRED_FORMS(name, Rule, total_first)                                                      \
    PAIRED(name, Rule, doubles, total_first)                                                       \
    PAIRED(name, Rule, double_int, total_first)                                                    \
    PAIRED(name, Rule, int_double, total_first)
    PAIRED_FORMS(add, quick::Add, false)
    PAIRED_FORMS(sub, quick::Sub, false)
    PAIRED_FORMS(mul, quick::Mul, false)
    PAIRED_FORMS(total_add, quick::Add, true)
    PAIRED_FORMS(total_sub, quick::Sub, true)
    PAIRED_FORMS(total_mul, quick::Mul, true)
#undef PAIRED_FORMS
#undef PAIRED
#endif
#undef CHOOSE_PAIRED

// The fused for_next handlers: while the cache holds their loop, it turns in turn_fused_loop;
// the first step and any general one take for_next's own handler.
#define FUSED_FOR_NEXT(name, Rule, primitive)                                                      \
    fused_for_next_##name : {                                                                      \
        if (for_cache.key_pc == d->next && for_cache.key_fp == fp) [[likely]] {                    \
            FusedLoopTurn turn = turn_fused_loop<Rule, primitive>(d, fp, countdown);               \
            countdown = turn.countdown;                                                            \
            switch (turn.end) {                                                                    \
            case FusedLoopEnd::done: FALL;                                                         \
            case FusedLoopEnd::jump_back: JUMP;                                                    \
            case FusedLoopEnd::general_step: break;                                                \
            }                                                                                      \
        }                                                                                          \
        goto fast_for_next;                                                                        \
    }
    FUSED_FOR_NEXT(add, quick::Add, num_add)
    FUSED_FOR_NEXT(sub, quick::Sub, num_sub)
    FUSED_FOR_NEXT(mul, quick::Mul, num_mul)
#undef FUSED_FOR_NEXT

// The compares that branch: the compare, then the jump_if_true or jump_if_false of the next
// record on the result, without loading the flag back or dispatching to that record. Near a
// check point the compare's own handler runs, and the jump after it as usual.
#define COMPARE_JUMP(name, sense)                                                                  \
    name##_if_##sense : {                                                                          \
        if (countdown <= 2) [[unlikely]]                                                           \
            goto fast_##name;                                                                      \
        bool flag =                                                                                \
            ops::name(fast_operand_address(d->x[0], fp), fast_operand_address(d->x[1], fp));       \
        vm.flag = flag;                                                                            \
        countdown -= 2;                                                                            \
        d = flag == sense ? d[1].jump : d + 2;                                                     \
        GOTO_HANDLER;                                                                              \
    }
#define QUILLET_COMPARE_JUMP(name) COMPARE_JUMP(name, true) COMPARE_JUMP(name, false)
    QUILLET_COMPARE_JUMP_OPS(QUILLET_COMPARE_JUMP)
#undef QUILLET_COMPARE_JUMP
#undef COMPARE_JUMP

handler_run_end: // after the last record of a run: on to the op after it, not counted as an op
    d = d->jump;
    GOTO_HANDLER;

handler_link_stub: // a jump not linked yet: the stub names the op that jumps
    pc = d->target;
    d = d->jump;
jump_slow: // d jumps to pc
    if (d->jump->handler == handler_link_stub) {
        DecodedOp* found = decoded_op_at(pc, labels);
        if (found != raw_op()) d->jump = found; // the way into a raw op needs pc: never linked
    }
    if (countdown == 0) goto check_point;
    goto dispatch_at_pc;

op_done_at_pc: // an op that is not linked to its successor ended; pc is where to go on
    fp = vm.fp();
    if (--countdown == 0) goto check_point;
dispatch_at_pc:
    if (kind == LoopKind::nested) {
        if (vm.stop_flag || (vm.nested_floor && vm.fp() >= vm.nested_floor)) {
            SAVE_STATE();
            return;
        }
    }
    d = decoded_op_at(pc, labels);
    GOTO_HANDLER;

check_point:
    decoded.running = nullptr;
    vm.op_counter = check_counter;
    vm.pc = pc;
    if (kind == LoopKind::slice) {
        return;
    } else {
        vm.ops_to_pump = vm.op_step_divisor ? vm.op_step_divisor : 1;
        charge_op_budget();
        if (!vm.pump_suppression && vm.pump_enabled) pump_between_ops();
        LOAD_STATE();
        goto dispatch_at_pc;
    }

handler_raw: // the op stream keeps vm.pc current; the count of ops is left for a raise
    may_raise(raw_op(), countdown);
    op = load_u8(pc++);
    vm.pc = pc;
    GOTO_OP;
label_jump_if_true : {
    int32_t off = read_signed(pc);
    if (vm.flag) pc += uint32_t(off);
    goto op_done_at_pc;
}
label_jump_if_false : {
    int32_t off = read_signed(pc);
    if (!vm.flag) pc += uint32_t(off);
    goto op_done_at_pc;
}
label_jump : {
    int32_t off = read_signed(pc);
    pc += uint32_t(off);
    goto op_done_at_pc;
}
label_jump_table : {
    int64_t k = jump_table_index(load_cell(fetch_num(pc)));
    k -= read_unsigned(pc);
    uint32_t count = read_unsigned(pc);
    uint32_t width = (load_u8(pc) & 0x80) ? 2 : 1;
    if (k >= 0 && k < count) {
        pc += uint32_t(k) * width;
        int32_t off = read_signed(pc);
        pc += uint32_t(off);
    } else {
        pc += count * width;
    }
    goto op_done_at_pc;
}
label_for_start : {
    Addr var = fetch_num(pc), start = fetch_num(pc), limit = fetch_num(pc), step = fetch_num(pc);
    int32_t off = read_signed(pc);
    if (ops::for_start_skips(var, start, limit, step)) pc += uint32_t(off);
    goto op_done_at_pc;
}
label_for_next : {
    int32_t off = read_signed(pc);
    FOR_NEXT(pc + uint32_t(off), pc, pc = for_cache.body_pc;
             goto op_done_at_pc, goto op_done_at_pc, vm.pc = pc);
}
label_gosub : {
    int32_t off = read_signed(pc);
    CALL(gosub_push(vm.pc));
    pc += uint32_t(off);
    goto op_done_at_pc;
}
label_gosub_return:
    CALL(gosub_return());
    goto op_done_at_pc;
label_call : {
    uint32_t index = read_unsigned(pc);
    Addr entry = program.modules[vm.module].routines + 4 * index;
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (m >= program.modules.size()) fatal_stop("stack frame error");
    CALL(enter_routine(program.modules[m].base + offset, m));
    goto op_done_at_pc;
}
label_return:
    CALL(leave_routine());
    if (!vm.fp()) CALL(end_program(0));
    CALL(frame_watch_check());
    goto op_done_at_pc;
label_bif : {
    uint32_t number = load_u8(pc++);
    CALL(call_bif(number));
    goto op_done_at_pc;
}
label_bif_high : {
    uint32_t number = 256 + load_u8(pc++);
    CALL(call_bif(number));
    goto op_done_at_pc;
}
label_end_unit:
    if (vm.program_end_mark == 0 || vm.program_end_mark <= vm.fp()) {
        int32_t k = num_to_int32(load_cell(fetch_num(pc)));
        CALL(end_program(k));
    }
    while (vm.fp() && vm.fp() < vm.program_end_mark)
        CALL(leave_routine());
    if (!vm.fp()) CALL(end_program(0));
    CALL(frame_watch_check());
    goto op_done_at_pc;
label_nop:
label_nop2:
    goto op_done_at_pc; // nop, nop2
label_cause : {
    int32_t code = num_to_int32(load_cell(fetch_num(pc)));
    Addr message = load_u32(fetch_str(pc));
    CALL(raise_exception({.code = code, .message = message}));
    goto op_done_at_pc;
}
label_gosub_block : {
    int32_t off = read_signed(pc);
    CALL(gosub_push(vm.pc));
    store_u32(vm.sp, load_u16(vm.fp() - frame::gosub_depth));
    vm.sp -= 4;
    store_u16(vm.fp() - frame::gosub_depth, 0);
    pc += uint32_t(off);
    goto op_done_at_pc;
}
label_block_return:
    CALL(block_return());
    goto op_done_at_pc;
label_move : {
    Addr from = fetch_num(pc);
    ops::move(from, fetch_num(pc));
    goto op_done_at_pc;
}
// The ops from here on that can raise keep vm.pc after their operands from the last one read, so
// that a raise reports the pc after the op, as the decoded ops do.
label_num_elem1:
label_num_elemn: // num_elem1, num_elemn
    element_reference(pc, program.modules[vm.module].num_arrays, vm.num_operands,
                      op == op_num_elemn);
    goto op_done_at_pc;
label_str_elem1:
label_str_elemn: // str_elem1, str_elemn
    element_reference(pc, program.modules[vm.module].str_arrays, vm.str_operands,
                      op == op_str_elemn);
    goto op_done_at_pc;
// The two-operand compares: N a, N b or S a, S b; the flag is the result.
#define STREAM_COMPARE(name, fetch)                                                                \
    label_##name : {                                                                               \
        Addr a = fetch(pc), b = fetch(pc);                                                         \
        vm.pc = pc;                                                                                \
        vm.flag = ops::name(a, b);                                                                 \
        goto op_done_at_pc;                                                                        \
    }
    STREAM_COMPARE(num_eq, fetch_num)
    STREAM_COMPARE(num_gt, fetch_num)
    STREAM_COMPARE(num_ge, fetch_num)
    STREAM_COMPARE(str_eq, fetch_str)
    STREAM_COMPARE(str_gt, fetch_str)
    STREAM_COMPARE(str_ge, fetch_str)
#undef STREAM_COMPARE
// add, sub and mul: N a, N b, N r.
#define STREAM_ARITHMETIC(name, Rule, primitive)                                                   \
    label_##name : {                                                                               \
        Addr a = fetch_num(pc), b = fetch_num(pc), r = fetch_num(pc);                              \
        ops::arithmetic<Rule, primitive>(a, b, r, [pc] { vm.pc = pc; });                           \
        goto op_done_at_pc;                                                                        \
    }
    STREAM_ARITHMETIC(add, quick::Add, num_add)
    STREAM_ARITHMETIC(sub, quick::Sub, num_sub)
    STREAM_ARITHMETIC(mul, quick::Mul, num_mul)
#undef STREAM_ARITHMETIC
label_div : {
    Addr a = fetch_num(pc), b = fetch_num(pc), r = fetch_num(pc);
    vm.pc = pc;
    ops::div(a, b, r);
    goto op_done_at_pc;
}
label_str_move : {
    Addr from = fetch_str(pc), to = fetch_str(pc);
    vm.pc = pc;
    ops::str_move(from, to);
    goto op_done_at_pc;
}
label_concat : {
    Addr a = fetch_str(pc), b = fetch_str(pc), r = fetch_str(pc);
    vm.pc = pc;
    concat(a, b, r);
    goto op_done_at_pc;
}
label_substr : {
    Addr from = fetch_str(pc);
    int32_t first = num_to_int32(load_cell(fetch_num(pc)));
    int32_t last = num_to_int32(load_cell(fetch_num(pc)));
    Addr to = fetch_str(pc);
    vm.pc = pc;
    substr(from, first, last, to);
    goto op_done_at_pc;
}
label_substr_assign : {
    Addr from = fetch_str(pc), to = fetch_str(pc);
    int32_t first = num_to_int32(load_cell(fetch_num(pc)));
    int32_t last = num_to_int32(load_cell(fetch_num(pc)));
    vm.pc = pc;
    substr_assign(from, to, first, last);
    goto op_done_at_pc;
}
label_illegal:
    illegal_op(pc - 1);

#if !QUILLET_LABEL_DISPATCH
handler_switch:
    switch (d->handler) {
    case handler_raw: goto handler_raw;
    case handler_run_end: goto handler_run_end;
    case handler_link_stub: goto handler_link_stub;
#define QUILLET_CONTROL_CASE(name)                                                                 \
    case handler_##name: goto control_##name;
        QUILLET_DECODED_CONTROL_OPS(QUILLET_CONTROL_CASE)
        QUILLET_DECODED_CONTROL_FORMS(QUILLET_CONTROL_CASE)
#undef QUILLET_CONTROL_CASE
#define QUILLET_OPERAND_CASES(name)                                                                \
    case handler_##name: goto fast_##name;                                                         \
    case handler_##name##_ref: goto ref_##name;                                                    \
    case handler_##name##_generic: goto generic_##name;
        QUILLET_DECODED_OPERAND_OPS(QUILLET_OPERAND_CASES)
#undef QUILLET_OPERAND_CASES
#define QUILLET_TOTAL_CASE(name)                                                                   \
    case handler_##name##_total: goto total_##name;
        QUILLET_FUSED_BODY_OPS(QUILLET_TOTAL_CASE)
#undef QUILLET_TOTAL_CASE
#define QUILLET_FUSED_CASE(name)                                                                   \
    case handler_for_next_##name: goto fused_for_next_##name;
        QUILLET_FUSED_BODY_OPS(QUILLET_FUSED_CASE)
#undef QUILLET_FUSED_CASE
#define QUILLET_COMPARE_JUMP_CASES(name)                                                           \
    case handler_##name##_if_true: goto name##_if_true;                                            \
    case handler_##name##_if_false: goto name##_if_false;
        QUILLET_COMPARE_JUMP_OPS(QUILLET_COMPARE_JUMP_CASES)
#undef QUILLET_COMPARE_JUMP_CASES
    case handler_count: break;
    }
    illegal_op(pc);
op_switch:
    switch (op) {
#define QUILLET_OP(byte, name, operands)                                                           \
    case byte:                                                                                     \
        goto label_##name;
#include "bcode/ops.def"
#undef QUILLET_OP
    default: goto label_illegal;
    }
#endif
#undef GOTO_HANDLER
#undef GOTO_OP
#undef FOR_NEXT
#undef FALL
#undef RAISES
#undef JUMP
#undef CALL
#undef LOAD_STATE
#undef SAVE_COUNT
#undef SAVE_STATE
}

// A loop started inside a decoded bif (a nested run, a slice) runs its own bifs; the bif's
// operand list is put back when it ends, however it ends.
class BifCursorAside {
public:
    BifCursorAside() : saved_(std::exchange(decoded.bif_cursor, &no_bif_operands)) {}
    ~BifCursorAside() { decoded.bif_cursor = saved_; }
    BifCursorAside(const BifCursorAside&) = delete;
    BifCursorAside& operator=(const BifCursorAside&) = delete;

private:
    const BifOperand* saved_;
};

// A raise ends the loop body; the handler found resumes it.
void op_loop(LoopKind kind) {
    BifCursorAside aside;
    for (bool after_raise = false;; after_raise = true) {
        decoded.bif_cursor = &no_bif_operands; // a bif that raised leaves its list
        try {
            op_loop_body(kind, after_raise);
            return;
        } catch (const BasicError& e) {
            // The op that raised leaves its count of ops. A decoded op raises with the pc after
            // it, as if it had run from the op stream; an op from the stream has stored its pc.
            if (DecodedOp* d = std::exchange(decoded.running, nullptr)) {
                if (d != raw_op()) vm.pc = d->next;
                vm.op_counter = check_counter - decoded.countdown;
                if (kind != LoopKind::slice) vm.ops_to_pump = decoded.countdown;
            }
            unwind_to_handler({.code = e.code});
        } catch (const ResumeAtHandler&) {
            // already unwound: go on at the handler
        }
    }
}

} // namespace

void run_ops() {
    op_loop(LoopKind::main);
    illegal_op(vm.pc); // the main loop does not return
}

void run_ops_until_stopped() {
    op_loop(LoopKind::nested);
}

void run_op_slice() {
    if (vm.busy_mark) return;
    vm.in_slice = 1;
    op_loop(LoopKind::slice);
    vm.in_slice = 0;
}

void pump_between_ops() {
    dispatch_host_messages();
    if (upper_layer_hooks.poll_devices) upper_layer_hooks.poll_devices();
    if (upper_layer_hooks.after_pump) upper_layer_hooks.after_pump();
}

void bound_run_to_ops(uint64_t ops) {
    constexpr uint32_t check_interval = 320; // the default op-step divisor
    vm.op_budget = ops;
    vm.op_budget_mark = vm.op_counter;
    vm.longest_stretch = check_interval;
    vm.ops_to_pump = std::min(vm.ops_to_pump, check_interval);
}

} // namespace quillet
