// The op loop. One function holds it; each case decodes its operands with the op_stream readers
// and calls a primitive. pc lives in a local and is written back to vm.pc around every call that
// reads or changes it (bifs, routine calls, raises).
#include "interp/op_loop.h"

#include "interp/bif_dispatch.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/op_stream.h"
#include "interp/operands.h"
#include "interp/registers.h"
#include "values/arrays.h"
#include "values/numbers.h"
#include "values/string_ops.h"
#include "values/strings.h"
#include "xvt/xvt.h"

namespace quillet {
namespace {

// The FOR/NEXT cache: the loop last stepped, keyed by the pc after its NEXT and the frame.
struct ForCache {
    Addr key_pc = 0;
    Addr key_fp = 0;
    Addr var = 0;
    Cell limit = 0;
    Cell step = 0;
    bool step_negative = false;
    bool fast = false;
    Addr body_pc = 0;
};

ForCache for_cache;

bool loop_done(Cell var, Cell limit, bool step_negative) {
    return step_negative ? num_less(var, limit) : num_less(limit, var);
}

// Decodes the FOR head that a NEXT leads back to and fills the cache.
void fill_for_cache(Addr head, Addr exit_pc) {
    Addr p = head + 1;
    ForCache& c = for_cache;
    c.key_pc = exit_pc;
    c.key_fp = vm.fp();
    c.var = fetch_num(p);
    skip_number(p); // start
    c.limit = load_cell(fetch_num(p));
    c.step = load_cell(fetch_num(p));
    skip_number(p); // the FOR's own offset
    c.body_pc = p;
    c.step_negative = num_is_negative(c.step);
    c.fast = is_int(c.step) && is_int(c.limit);
}

// Steps the cached loop: the loop variable moves by the step; the result is the pc to go on at,
// the body or (when the loop is done) the exit.
QUILLET_HOT_INLINE Addr step_for_loop(Addr exit_pc) {
    const ForCache& c = for_cache;
    Cell var = load_cell(c.var);
    bool done;
    int32_t v;
    // The integer path gives what num_add and num_less would give whenever the sum cannot
    // overflow; that holds for any integer, not just small ones.
    if (c.fast && is_int(var) && !__builtin_add_overflow(int_value(var), int_value(c.step), &v)) {
        store_cell(c.var, num_int(v));
        done = c.step_negative ? v < int_value(c.limit) : int_value(c.limit) < v;
    } else {
        Cell next = num_add(var, c.step);
        store_cell(c.var, next);
        done = loop_done(next, c.limit, c.step_negative);
    }
    return done ? exit_pc : c.body_pc;
}

// The element of a one-dimensional array reference; 2001 outside the array.
Addr vector_element(Addr array_cell, int32_t index) {
    ArrayBlock a{load_u32(array_cell)};
    int64_t i = int64_t(index) - a.lower_bound(0);
    if (i < 0 || i >= a.count()) raise_error(err::subscript_range);
    return a.element(int32_t(i));
}

QUILLET_HOT_INLINE int32_t int_at(const Operand& o) {
    return num_to_int32(load_cell(operand_address(o)));
}

template <Cell (*operation)(Cell, Cell)>
QUILLET_HOT_INLINE void decoded_arithmetic(const DecodedOp& d) {
    Cell a = load_cell(operand_address(d.x[0]));
    Cell b = load_cell(operand_address(d.x[1]));
    store_cell(operand_address(d.x[2]), operation(a, b));
}

Addr element_address(Addr array_cell, Addr& pc, bool all_dimensions_given) {
    if (!all_dimensions_given)
        return vector_element(array_cell, num_to_int32(load_cell(fetch_num(pc))));
    ArrayBlock a{load_u32(array_cell)};
    int64_t flat = 0;
    for (int32_t d = 0; d < a.dimensions(); ++d) {
        int64_t i = int64_t(num_to_int32(load_cell(fetch_num(pc)))) - a.lower_bound(d);
        if (i < 0 || i >= a.size(d)) raise_error(err::subscript_range);
        flat = flat * a.size(d) + i;
    }
    return a.element(int32_t(flat));
}

// Stores an element's address in the frame word that the slot operand's descriptor names.
void store_element_ref(Addr& pc, Addr table, Addr element) {
    Addr desc = fetch_descriptor(pc, table);
    store_u32(vm.fp() - load_u16(desc + 2), element);
}

int32_t jump_table_index(Cell v) {
    if (is_int(v)) return int_value(v);
    double d = double_value(v);
    if (d >= 0 && d <= 2147483647.0 && d == double(int64_t(d))) return int32_t(d);
    return -1;
}

// add, sub, mul and div: N a, N b, N r.
template <Cell (*operation)(Cell, Cell)>
QUILLET_HOT_INLINE void arithmetic(Addr& pc) {
    Cell a = load_cell(fetch_num(pc));
    Cell b = load_cell(fetch_num(pc));
    Addr r = fetch_num(pc);
    store_cell(r, operation(a, b));
}

enum class LoopKind { main, nested, slice };

// Dispatch: a table of label addresses where the compiler offers them (GCC and clang), else a
// switch. The op set comes from the one list in bcode/ops.def either way.
#if defined(__GNUC__)
#define QUILLET_COMPUTED_GOTO 1
#pragma GCC diagnostic ignored "-Wpedantic" // label addresses
#endif

#ifdef QUILLET_COMPUTED_GOTO
#define DISPATCH_DECODED(op) goto* decoded_table[op];
#define DECODED(name) decoded_##name:
#define NEXT_DECODED goto next_decoded
#define END_DECODED
#define DISPATCH(op) goto* dispatch_table[op];
#define OP(name) label_##name:
#define NEXT_OP goto next_op
#define ILLEGAL_OP                                                                                 \
    label_illegal:
#define END_DISPATCH                                                                               \
    next_op:
#else
#define DISPATCH_DECODED(op) switch (op) {
#define DECODED(name) case op_##name:
#define NEXT_DECODED break
#define END_DECODED                                                                                \
    }                                                                                              \
    goto next_decoded;
#define DISPATCH(op) switch (op) {
#define OP(name) case op_##name:
#define NEXT_OP break
#define ILLEGAL_OP default:
#define END_DISPATCH }
#endif

// The loop itself. It holds no handler of its own, so that pc stays in a register: vm.pc is
// kept current wherever a raise can happen instead (before every call, at every op that runs
// from the op stream, and as each decoded op starts), and op_loop below catches the raise.
// Returns only for the nested and slice loops.
template <LoopKind kind>
void op_loop_body() {
    Addr pc = vm.pc;
    uint8_t op = 0;            // the op being run from the op stream
    DecodedOp* d = nullptr;    // the decoded op being run, or the last one run
    DecodedOp* next = nullptr; // the decoded op to run next
#ifdef QUILLET_COMPUTED_GOTO
    void* dispatch_table[256];
    for (void*& entry : dispatch_table)
        entry = &&label_illegal;
#define QUILLET_OP(byte, name, operands) dispatch_table[byte] = &&label_##name;
#include "bcode/ops.def"
#undef QUILLET_OP
    // Only the ops below are ever decoded.
    void* decoded_table[256];
    for (void*& entry : decoded_table)
        entry = &&label_illegal;
#define QUILLET_DECODED(name) decoded_table[op_##name] = &&decoded_##name;
    QUILLET_DECODED(jump_if_true)
    QUILLET_DECODED(jump_if_false)
    QUILLET_DECODED(jump)
    QUILLET_DECODED(for_start)
    QUILLET_DECODED(for_next)
    QUILLET_DECODED(gosub)
    QUILLET_DECODED(move)
    QUILLET_DECODED(num_eq)
    QUILLET_DECODED(num_gt)
    QUILLET_DECODED(num_ge)
    QUILLET_DECODED(add)
    QUILLET_DECODED(sub)
    QUILLET_DECODED(mul)
    QUILLET_DECODED(div)
    QUILLET_DECODED(str_move)
    QUILLET_DECODED(str_eq)
    QUILLET_DECODED(str_gt)
    QUILLET_DECODED(str_ge)
    QUILLET_DECODED(concat)
    QUILLET_DECODED(substr)
    QUILLET_DECODED(substr_assign)
    QUILLET_DECODED(num_elem1)
    QUILLET_DECODED(str_elem1)
    QUILLET_DECODED(nop)
    QUILLET_DECODED(nop2)
#undef QUILLET_DECODED
#endif
#define CALL(expr)                                                                                 \
    do {                                                                                           \
        vm.pc = pc;                                                                                \
        expr;                                                                                      \
        pc = vm.pc;                                                                                \
    } while (0)
    for (;;) {
        if constexpr (kind == LoopKind::nested) {
            if (vm.stop_flag) {
                vm.pc = pc;
                return;
            }
        }
        next = decoded_op_at(pc);
        if (next && next != raw_op()) {
        run_decoded:
            d = next;
            vm.pc = pc = d->next;
            DISPATCH_DECODED(d->op)
            DECODED(jump_if_true) if (vm.flag) pc = d->target;
            NEXT_DECODED;
            DECODED(jump_if_false) if (!vm.flag) pc = d->target;
            NEXT_DECODED;
            DECODED(jump) pc = d->target;
            NEXT_DECODED;
            DECODED(for_start) {
                Addr var = operand_address(d->x[0]);
                Cell start = load_cell(operand_address(d->x[1]));
                Cell limit = load_cell(operand_address(d->x[2]));
                Cell step = load_cell(operand_address(d->x[3]));
                store_cell(var, start);
                for_cache.key_pc = 0;
                if (loop_done(start, limit, num_is_negative(step))) pc = d->target;
                NEXT_DECODED;
            }
            DECODED(for_next) {
                if (for_cache.key_pc != pc || for_cache.key_fp != vm.fp())
                    fill_for_cache(d->target, pc);
                pc = step_for_loop(pc);
                NEXT_DECODED;
            }
            DECODED(gosub) {
                CALL(gosub_push(pc));
                pc = d->target;
                NEXT_DECODED;
            }
            DECODED(move) {
                store_cell(operand_address(d->x[1]), load_cell(operand_address(d->x[0])));
                NEXT_DECODED;
            }
            DECODED(num_eq) {
                vm.flag = num_equal(load_cell(operand_address(d->x[0])),
                                    load_cell(operand_address(d->x[1])));
                NEXT_DECODED;
            }
            DECODED(num_gt) {
                vm.flag = num_less(load_cell(operand_address(d->x[1])),
                                   load_cell(operand_address(d->x[0])));
                NEXT_DECODED;
            }
            DECODED(num_ge) {
                vm.flag = !num_less(load_cell(operand_address(d->x[0])),
                                    load_cell(operand_address(d->x[1])));
                NEXT_DECODED;
            }
            DECODED(add) decoded_arithmetic<num_add>(*d);
            NEXT_DECODED;
            DECODED(sub) decoded_arithmetic<num_sub>(*d);
            NEXT_DECODED;
            DECODED(mul) decoded_arithmetic<num_mul>(*d);
            NEXT_DECODED;
            DECODED(div) decoded_arithmetic<num_div>(*d);
            NEXT_DECODED;
            DECODED(str_move) {
                Addr src = operand_address(d->x[0]);
                str_assign(operand_address(d->x[1]), load_u32(src));
                NEXT_DECODED;
            }
            DECODED(str_eq) {
                vm.flag = str_view(load_u32(operand_address(d->x[0]))) ==
                          str_view(load_u32(operand_address(d->x[1])));
                NEXT_DECODED;
            }
            DECODED(str_gt) {
                vm.flag = str_after(load_u32(operand_address(d->x[0])),
                                    load_u32(operand_address(d->x[1])));
                NEXT_DECODED;
            }
            DECODED(str_ge) {
                Addr a = load_u32(operand_address(d->x[0]));
                Addr b = load_u32(operand_address(d->x[1]));
                vm.flag = str_after(a, b) || str_view(a) == str_view(b);
                NEXT_DECODED;
            }
            DECODED(concat) {
                concat(operand_address(d->x[0]), operand_address(d->x[1]),
                       operand_address(d->x[2]));
                NEXT_DECODED;
            }
            DECODED(substr) {
                substr(operand_address(d->x[0]), int_at(d->x[1]), int_at(d->x[2]),
                       operand_address(d->x[3]));
                NEXT_DECODED;
            }
            DECODED(substr_assign) {
                substr_assign(operand_address(d->x[0]), operand_address(d->x[1]), int_at(d->x[2]),
                              int_at(d->x[3]));
                NEXT_DECODED;
            }
            DECODED(num_elem1)
            DECODED(str_elem1) {
                Addr element = vector_element(operand_address(d->x[0]), int_at(d->x[1]));
                store_u32(vm.fp() - uint32_t(d->x[2].delta), element);
                NEXT_DECODED;
            }
            DECODED(nop)
            DECODED(nop2) NEXT_DECODED;
            END_DECODED
        }
        op = load_u8(pc++);
        vm.pc = pc;
        DISPATCH(op);
        OP(jump_if_true) {
            int32_t off = read_signed(pc);
            if (vm.flag) pc += uint32_t(off);
            NEXT_OP;
        }
        OP(jump_if_false) {
            int32_t off = read_signed(pc);
            if (!vm.flag) pc += uint32_t(off);
            NEXT_OP;
        }
        OP(jump) {
            int32_t off = read_signed(pc);
            pc += uint32_t(off);
            NEXT_OP;
        }
        OP(jump_table) {
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
            NEXT_OP;
        }
        OP(for_start) {
            Addr var = fetch_num(pc);
            Cell start = load_cell(fetch_num(pc));
            Cell limit = load_cell(fetch_num(pc));
            Cell step = load_cell(fetch_num(pc));
            int32_t off = read_signed(pc);
            store_cell(var, start);
            for_cache.key_pc = 0;
            if (loop_done(start, limit, num_is_negative(step))) pc += uint32_t(off);
            NEXT_OP;
        }
        OP(for_next) {
            int32_t off = read_signed(pc);
            if (for_cache.key_pc != pc || for_cache.key_fp != vm.fp())
                fill_for_cache(pc + uint32_t(off), pc);
            pc = step_for_loop(pc);
            NEXT_OP;
        }
        OP(gosub) {
            int32_t off = read_signed(pc);
            CALL(gosub_push(vm.pc));
            pc += uint32_t(off);
            NEXT_OP;
        }
        OP(gosub_return) CALL(gosub_return());
        NEXT_OP;
        OP(call) {
            uint32_t index = read_unsigned(pc);
            Addr entry = program.modules[vm.module].routines + 4 * index;
            uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
            if (m >= program.modules.size()) fatal_stop("stack frame error");
            CALL(enter_routine(program.modules[m].base + offset, m));
            NEXT_OP;
        }
        OP(return )
        CALL(leave_routine());
        if (!vm.fp()) CALL(end_program(0));
        CALL(frame_watch_check());
        NEXT_OP;
        OP(bif) {
            uint32_t n = load_u8(pc++);
            CALL(call_bif(n));
            NEXT_OP;
        }
        OP(bif_high) {
            uint32_t n = 256 + load_u8(pc++);
            CALL(call_bif(n));
            NEXT_OP;
        }
        OP(end_unit)
        if (vm.program_end_mark == 0 || vm.program_end_mark <= vm.fp()) {
            int32_t k = num_to_int32(load_cell(fetch_num(pc)));
            CALL(end_program(k));
        }
        while (vm.fp() && vm.fp() < vm.program_end_mark)
            CALL(leave_routine());
        if (!vm.fp()) CALL(end_program(0));
        CALL(frame_watch_check());
        NEXT_OP;
        OP(nop)
        OP(nop2) NEXT_OP; // nop, nop2
        OP(cause) {
            int32_t code = num_to_int32(load_cell(fetch_num(pc)));
            Addr message = load_u32(fetch_str(pc));
            CALL(raise_exception({.code = code, .message = message}));
            NEXT_OP;
        }
        OP(gosub_block) {
            int32_t off = read_signed(pc);
            CALL(gosub_push(vm.pc));
            store_u32(vm.sp, load_u16(vm.fp() - frame::gosub_depth));
            vm.sp -= 4;
            store_u16(vm.fp() - frame::gosub_depth, 0);
            pc += uint32_t(off);
            NEXT_OP;
        }
        OP(block_return) CALL(block_return());
        NEXT_OP;
        OP(move) {
            Addr src = fetch_num(pc);
            store_cell(fetch_num(pc), load_cell(src));
            NEXT_OP;
        }
        OP(num_elem1)
        OP(num_elemn) { // num_elem1, num_elemn
            Addr array = fetch_num_array(pc);
            Addr element = element_address(array, pc, op == 0xC4);
            store_element_ref(pc, vm.num_operands, element);
            NEXT_OP;
        }
        OP(str_elem1)
        OP(str_elemn) { // str_elem1, str_elemn
            Addr array = fetch_str_array(pc);
            Addr element = element_address(array, pc, op == 0xE4);
            store_element_ref(pc, vm.str_operands, element);
            NEXT_OP;
        }
        OP(num_eq) {
            Cell a = load_cell(fetch_num(pc));
            vm.flag = num_equal(a, load_cell(fetch_num(pc)));
            NEXT_OP;
        }
        OP(num_gt) {
            Cell a = load_cell(fetch_num(pc));
            vm.flag = num_less(load_cell(fetch_num(pc)), a);
            NEXT_OP;
        }
        OP(num_ge) {
            Cell a = load_cell(fetch_num(pc));
            vm.flag = !num_less(a, load_cell(fetch_num(pc)));
            NEXT_OP;
        }
        OP(add) arithmetic<num_add>(pc);
        NEXT_OP;
        OP(sub) arithmetic<num_sub>(pc);
        NEXT_OP;
        OP(mul) arithmetic<num_mul>(pc);
        NEXT_OP;
        OP(div) arithmetic<num_div>(pc);
        NEXT_OP;
        OP(str_move) {
            Addr src = fetch_str(pc);
            str_assign(fetch_str(pc), load_u32(src));
            NEXT_OP;
        }
        OP(str_eq) {
            Addr a = load_u32(fetch_str(pc));
            vm.flag = str_view(a) == str_view(load_u32(fetch_str(pc)));
            NEXT_OP;
        }
        OP(str_gt) {
            Addr a = load_u32(fetch_str(pc));
            vm.flag = str_after(a, load_u32(fetch_str(pc)));
            NEXT_OP;
        }
        OP(str_ge) {
            Addr a = load_u32(fetch_str(pc));
            Addr b = load_u32(fetch_str(pc));
            vm.flag = str_after(a, b) || str_view(a) == str_view(b);
            NEXT_OP;
        }
        OP(concat) {
            Addr a = fetch_str(pc);
            Addr b = fetch_str(pc);
            concat(a, b, fetch_str(pc));
            NEXT_OP;
        }
        OP(substr) {
            Addr src = fetch_str(pc);
            int32_t from = num_to_int32(load_cell(fetch_num(pc)));
            int32_t to = num_to_int32(load_cell(fetch_num(pc)));
            substr(src, from, to, fetch_str(pc));
            NEXT_OP;
        }
        OP(substr_assign) {
            Addr src = fetch_str(pc);
            Addr dst = fetch_str(pc);
            int32_t from = num_to_int32(load_cell(fetch_num(pc)));
            int32_t to = num_to_int32(load_cell(fetch_num(pc)));
            substr_assign(src, dst, from, to);
            NEXT_OP;
        }
        ILLEGAL_OP fatal_stop("illegal op");
        END_DISPATCH
        d = nullptr; // an op ran from the op stream: it has no followers

    next_decoded:
        if constexpr (kind == LoopKind::slice) {
            if (++vm.op_counter % 3200 == 0) {
                vm.pc = pc;
                return;
            }
        } else {
            ++vm.op_counter;
            if (--vm.ops_to_pump == 0) {
                vm.ops_to_pump = vm.op_step_divisor ? vm.op_step_divisor : 1;
                if (--vm.pump_budget == 0) CALL(program_exit());
                if (!vm.pump_suppression && vm.pump_enabled) CALL(pump_between_ops());
            }
        }
        // A decoded op goes straight on to a decoded follower it has seen before.
        if (d && (kind != LoopKind::nested || !vm.stop_flag)) {
            for (int k = 0; k < 2; ++k) {
                if (pc == d->follower_pc[k] && d->follower[k]) {
                    next = d->follower[k];
                    goto run_decoded;
                }
            }
            next = decoded_op_at(pc);
            if (next && next != raw_op()) {
                int k = d->follower[0] ? 1 : 0;
                d->follower_pc[k] = pc;
                d->follower[k] = next;
                goto run_decoded;
            }
        }
    }
#undef CALL
}

template <LoopKind kind>
void op_loop() {
    for (;;) {
        try {
            op_loop_body<kind>();
            return;
        } catch (const BasicError& e) {
            unwind_to_handler({.code = e.code});
        } catch (const ResumeAtHandler&) {
            // already unwound: go on at the handler
        }
    }
}

} // namespace

void run_ops() {
    op_loop<LoopKind::main>();
    fatal_stop("illegal op"); // the main loop does not return
}

void run_ops_until_stopped() {
    op_loop<LoopKind::nested>();
}

void run_op_slice() {
    if (vm.busy_mark) return;
    vm.in_slice = 1;
    op_loop<LoopKind::slice>();
    vm.in_slice = 0;
}

void pump_between_ops() {
    process_host_messages();
}

void reset_for_cache() {
    for_cache = ForCache{};
}

} // namespace quillet
