#include "interp/decoded_ops.h"

#include "bcode/bifs.h"
#include "interp/routine_plans.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace quillet {
namespace {

// The operand letters of each op, from the op list.
constexpr auto op_operands = [] {
    struct Table {
        std::string_view operands[256];
    } t{};
#define QUILLET_OP(byte, name, signature) t.operands[byte] = signature;
#include "bcode/ops.def"
#undef QUILLET_OP
    return t;
}();

// The handler of each decoded op byte (an operand op's fast one); handler_raw for the others.
constexpr auto fast_handler = [] {
    struct Table {
        Handler of[256];
    } t{};
#define QUILLET_HANDLER_OF(name) t.of[op_##name] = handler_##name;
    QUILLET_DECODED_CONTROL_OPS(QUILLET_HANDLER_OF)
    QUILLET_DECODED_OPERAND_OPS(QUILLET_HANDLER_OF)
#undef QUILLET_HANDLER_OF
    return t;
}();

// Whether each op byte jumps: those with a jump offset among their operands, and call, whose
// record jumps to the callee.
constexpr auto op_jumps = [] {
    struct Table {
        bool of[256];
    } t{};
    for (int op = 0; op < 256; ++op)
        t.of[op] = op_operands.operands[op].find('J') != std::string_view::npos;
    t.of[op_call] = true;
    return t;
}();

const void* label_of(const void* const* labels, uint8_t handler) {
    return labels ? labels[handler] : nullptr;
}

QUILLET_HOT_INLINE bool operand_of(uint16_t mode, uint16_t offset, Operand& out) {
    bcode::ModeMeaning m = bcode::mode_meaning(mode);
    if (m.base == bcode::base_none) return false;
    uint32_t delta = m.subtracts ? 0u - offset : uint32_t(offset);
    out = {.delta = delta, .fp_mask = 0, .base = m.base, .indirect = m.indirect};
    if (m.base == bcode::base_frame) {
        out.fp_mask = ~0u;
    } else if (m.base >= bcode::base_cell1 && m.base <= bcode::base_global) {
        // The image areas and the global frame stay where they are for the whole run.
        out.delta = vm.bases[m.base] + delta;
        out.base = bcode::base_absolute;
    }
    return true;
}

bool is_fast_form(const Operand& o) {
    return o.base == bcode::base_frame || o.base == bcode::base_absolute;
}

// The pc after the FOR op at head, where its body starts; 0 when head holds no FOR op.
Addr for_body(Addr head) {
    if (!in_image(head) || load_u8(head) != op_for_start) return 0;
    Addr p = head + 1;
    for (int i = 0; i < 4; ++i) {
        if (!in_image(p)) return 0;
        fetch_descriptor(p, vm.num_operands);
    }
    if (!in_image(p)) return 0;
    skip_number(p);
    return in_image(p - 1) ? p : 0;
}

// The running total handler of each op's fast handler that has one; handler_raw for the others.
constexpr auto total_handler = [] {
    struct Table {
        Handler of[handler_count];
    } t{};
#define QUILLET_TOTAL_OF(name) t.of[handler_##name] = handler_##name##_total;
    QUILLET_FUSED_BODY_OPS(QUILLET_TOTAL_OF)
#undef QUILLET_TOTAL_OF
    return t;
}();

bool same_operand(const Operand& a, const Operand& b) {
    return a.delta == b.delta && a.fp_mask == b.fp_mask && a.base == b.base &&
           a.indirect == b.indirect;
}

// The operand table that an operand of the given letter (ops.def, bifs.def) is read through.
Addr operand_table(char letter, const ModuleRecord& m) {
    return letter == 'S'   ? vm.str_operands
           : letter == 'A' ? m.num_arrays
           : letter == 'B' ? m.str_arrays
                           : vm.num_operands;
}

// A bif with a native handler and a fixed operand list: called as from the op stream, with its
// operands resolved here (those in the operand tables; array operands are read from the stream).
// target is the pc after its number, where a bif starts reading; next the pc after its operands.
bool decode_bif(Addr pc, uint8_t op, DecodedOp& d) {
    Addr p = pc + 1;
    if (!in_image(p)) return false;
    uint32_t n = load_u8(p++) + (op == op_bif_high ? 256 : 0);
    if (n >= bif_count || !bif_table.native[n]) return false;
    const char* letters = bcode::bif_operands(n);
    if (!letters) return false;
    const ModuleRecord& m = program.modules[vm.module];
    std::vector<BifOperand> list;
    for (const char* c = letters; *c; ++c) {
        if (!in_image(p)) return false;
        Addr table = operand_table(*c, m);
        Addr at = p;
        Addr desc = fetch_descriptor(p, table);
        Operand o;
        if (*c == 'A' || *c == 'B' || !operand_of(load_u16(desc), load_u16(desc + 2), o)) continue;
        list.push_back({.at = at,
                        .after = p,
                        .table = table,
                        .delta = o.delta,
                        .base = o.base,
                        .indirect = o.indirect});
    }
    if (!in_image(p - 1)) return false;
    auto operands = std::make_unique<BifOperand[]>(list.size() + 1); // and the end
    std::copy(list.begin(), list.end(), operands.get());
    d.bif_operands = operands.get();
    decoded.bif_operands.push_back(std::move(operands));
    d.head = n;
    d.target = pc + 2;
    d.next = p;
    d.handler = fast_handler.of[op];
    return true;
}

// Decodes the op at pc; false when it should run from the op stream.
bool decode(Addr pc, DecodedOp& d) {
    uint8_t op = load_u8(pc);
    Handler h = fast_handler.of[op];
    if (h == handler_raw) return false;
    if (op == op_bif || op == op_bif_high) return decode_bif(pc, op, d);
    if (op == op_call) {
        const RoutinePlan* plan = plan_call(pc);
        if (!plan) return false;
        d.next = plan->return_pc;
        d.target = plan->body;
        d.plan = plan;
        d.handler = h;
        if (plan->quick) {
            // The forms by count n of arguments, and within it by count of references.
            static_assert(quick_arg_limit == 4 &&
                              handler_call_quick_0_4 == handler_call_quick_0_0 + 14 &&
                              handler_call_quick_2_1 == handler_call_quick_0_0 + 7,
                          "a handler for each count of values and of references");
            size_t n = plan->quick_args.size();
            d.handler =
                n > 4 || !plan->quick_direct
                    ? handler_call_quick
                    : Handler(handler_call_quick_0_0 + n * (n + 1) / 2 + (n - plan->quick_values));
            if (d.handler != handler_call_quick)
                for (size_t k = 0; k < n; ++k)
                    d.quick[k] = plan->quick_args[k].slot;
        }
        return true;
    }
    std::string_view operands = op_operands.operands[op];
    const ModuleRecord& m = program.modules[vm.module];
    Addr p = pc + 1;
    int n = 0;
    bool fast_form = true, direct = true;
    bool element_ref = op == op_num_elem1 || op == op_str_elem1;
    for (size_t i = 0; i < operands.size(); ++i) {
        char c = operands[i];
        if (!in_image(p)) return false;
        if (c == 'J') {
            int32_t off = read_signed(p);
            d.target = p + uint32_t(off);
            continue;
        }
        Addr table = operand_table(c, m);
        Addr desc = fetch_descriptor(p, table);
        uint16_t mode = load_u16(desc), offset = load_u16(desc + 2);
        Operand& o = d.x[n++];
        // Only the offset of an element reference's slot operand counts: the slot is in the frame.
        if (!operand_of(element_ref && i == 2 ? uint16_t(bcode::mode_frame) : mode, offset, o))
            return false;
        fast_form = fast_form && is_fast_form(o);
        direct = direct && !o.indirect;
    }
    if (!in_image(p - 1)) return false;
    d.next = p;
    // A return (or GOSUB return) remembers the op it went on at (op loop); until then, and for
    // a return to pc 0, it is the raw op's record, as the table gives for a pc outside the image.
    if (op == op_return || op == op_gosub_return) d.jump = raw_op();
    if (op == op_for_next) {
        d.head = d.target;
        d.target = for_body(d.head);
        if (!d.target) return false;
    }
    d.handler = !fast_form ? Handler(h + 2) : direct ? h : Handler(h + 1);
    // A running total through a reference: op t, x, t, the same operand t read through a
    // reference and x direct.
    if (d.handler == h + 1 && total_handler.of[h] != handler_raw && same_operand(d.x[0], d.x[2]) &&
        !d.x[1].indirect)
        d.handler = total_handler.of[h];
    return true;
}

// The fused handler of each body op's fast handler; handler_raw for the others.
constexpr auto fused_handler = [] {
    struct Table {
        Handler of[handler_count];
    } t{};
#define QUILLET_FUSED_OF(name) t.of[handler_##name] = handler_for_next_##name;
    QUILLET_FUSED_BODY_OPS(QUILLET_FUSED_OF)
#undef QUILLET_FUSED_OF
    return t;
}();

// A for_next whose loop body is the one op in the record before it, an op it can run itself,
// takes that op's operands and its fused handler.
void fuse_loop_bodies(std::vector<DecodedOp>& run, const std::vector<Addr>& run_pcs,
                      const void* const* labels) {
    for (size_t i = 1; i < run.size(); ++i) {
        DecodedOp& step = run[i];
        const DecodedOp& body = run[i - 1];
        Handler fused = fused_handler.of[body.handler];
        if (step.handler != handler_for_next || step.target != run_pcs[i - 1] ||
            fused == handler_raw)
            continue;
        std::copy(std::begin(body.x), std::end(body.x), std::begin(step.x));
        step.handler = fused;
        step.label = label_of(labels, fused);
    }
}

// The branching handlers of each compare's fast handler, taken when the next record of its run
// is a jump_if_true or a jump_if_false; handler_raw for the other handlers.
constexpr auto compare_jump_handlers = [] {
    struct Table {
        Handler if_true[handler_count], if_false[handler_count];
    } t{};
#define QUILLET_COMPARE_JUMP_OF(name)                                                              \
    t.if_true[handler_##name] = handler_##name##_if_true;                                          \
    t.if_false[handler_##name] = handler_##name##_if_false;
    QUILLET_COMPARE_JUMP_OPS(QUILLET_COMPARE_JUMP_OF)
#undef QUILLET_COMPARE_JUMP_OF
    return t;
}();

// A compare followed in its run by a jump on the flag branches itself.
void fuse_compare_jumps(std::vector<DecodedOp>& run, const void* const* labels) {
    for (size_t i = 0; i + 1 < run.size(); ++i) {
        DecodedOp& compare = run[i];
        uint8_t jump = run[i + 1].handler;
        Handler fused =
            jump == handler_jump_if_true    ? compare_jump_handlers.if_true[compare.handler]
            : jump == handler_jump_if_false ? compare_jump_handlers.if_false[compare.handler]
                                            : handler_raw;
        if (fused == handler_raw) continue;
        compare.handler = fused;
        compare.label = label_of(labels, fused);
    }
}

} // namespace

bool resolve_operand(Addr desc, Operand& out) {
    return operand_of(load_u16(desc), load_u16(desc + 2), out);
}

void reset_decoded_ops() {
    decoded = DecodedCode{};
    reset_routine_plans();
    decoded.image = program.image;
    decoded.size = program.image_size;
    decoded.slot.assign(decoded.size, nullptr);
}

DecodedOp* decode_op_at(Addr pc, const void* const* labels) {
    // The run goes on while the op after the last one decodes and has no record yet; it ends
    // after an op that never goes on to the next one.
    constexpr size_t longest_run = 64;
    if (!decode_policy.enabled) return decoded.slot[pc - decoded.image] = raw_op();
    std::vector<DecodedOp> run;
    std::vector<Addr> run_pcs;
    std::vector<bool> jumps;
    for (Addr p = pc;
         run.size() < longest_run && in_image(p) && !decoded.slot[p - decoded.image];) {
        DecodedOp d;
        if (!decode(p, d)) break;
        d.label = label_of(labels, d.handler);
        d.module = vm.module;
        run.push_back(d);
        run_pcs.push_back(p);
        uint8_t op = load_u8(p);
        jumps.push_back(op_jumps.of[op]);
        if (op == op_jump || op == op_return || op == op_gosub_return) break;
        p = d.next;
    }
    if (run.empty()) return decoded.slot[pc - decoded.image] = raw_op();
    fuse_loop_bodies(run, run_pcs, labels);
    fuse_compare_jumps(run, labels);
    // The record after the last goes on at the op after the run, as a jump that is not an op.
    DecodedOp end;
    end.handler = handler_run_end;
    end.label = label_of(labels, handler_run_end);
    end.target = run.back().next;
    run.push_back(end);
    jumps.push_back(true);
    // Then a link stub for each record that jumps.
    size_t count = run.size();
    for (size_t i = 0; i < count; ++i) {
        if (!jumps[i]) continue;
        DecodedOp stub;
        stub.handler = handler_link_stub;
        stub.label = label_of(labels, handler_link_stub);
        stub.target = run[i].target;
        run.push_back(stub);
    }
    auto records = std::make_unique<DecodedOp[]>(run.size());
    std::copy(run.begin(), run.end(), records.get());
    for (size_t i = 0, stub = count; i < count; ++i) {
        if (!jumps[i]) continue;
        records[i].jump = &records[stub];
        records[stub++].jump = &records[i];
    }
    for (size_t i = 0; i < run_pcs.size(); ++i)
        decoded.slot[run_pcs[i] - decoded.image] = &records[i];
    decoded.runs.push_back(std::move(records));
    return decoded.slot[pc - decoded.image];
}

} // namespace quillet
