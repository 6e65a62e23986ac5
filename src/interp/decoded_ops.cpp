#include "interp/decoded_ops.h"

#include <string_view>

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

// The ops the loop runs decoded: those with fixed operand lists that are hot.
constexpr auto decodable = [] {
    struct Table {
        bool op[256];
    } t{};
    for (uint8_t b : {op_jump_if_true,  op_jump_if_false, op_jump,      op_for_start, op_for_next,
                      op_gosub,         op_move,          op_num_eq,    op_num_gt,    op_num_ge,
                      op_add,           op_sub,           op_mul,       op_div,       op_str_move,
                      op_str_eq,        op_str_gt,        op_str_ge,    op_concat,    op_substr,
                      op_substr_assign, op_num_elem1,     op_str_elem1, op_nop,       op_nop2})
        t.op[b] = true;
    return t;
}();

// Base register, direction and indirection of each address mode (mode / 8); false when the mode
// is not one of the twelve.
bool operand_of(uint16_t mode, uint16_t offset, Operand& out) {
    struct ModeInfo {
        int8_t base; // index into vm.bases, -1: no such mode
        bool plus;
        bool indirect;
    };
    static constexpr ModeInfo modes[12] = {{0, false, false}, {1, false, false}, {0, false, true},
                                           {1, false, true},  {2, true, false},  {3, true, false},
                                           {4, true, false},  {5, false, false}, {-1, false, false},
                                           {6, false, false}, {7, false, false}, {8, false, false}};
    if ((mode & 7) || mode >= 12 * 8 || modes[mode >> 3].base < 0) return false;
    const ModeInfo& m = modes[mode >> 3];
    out = {uint8_t(m.base), m.indirect, m.plus ? int32_t(offset) : -int32_t(offset)};
    return true;
}

bool in_image(Addr p) {
    return p - decoded.image < decoded.size;
}

// Decodes the op at pc; false when it should run from the op stream.
bool decode(Addr pc, DecodedOp& d) {
    d.op = load_u8(pc);
    std::string_view operands = op_operands.operands[d.op];
    if (!decodable.op[d.op]) return false;
    const ModuleRecord& m = program.modules[vm.module];
    Addr p = pc + 1;
    int n = 0;
    bool element_ref = d.op == op_num_elem1 || d.op == op_str_elem1;
    for (size_t i = 0; i < operands.size(); ++i) {
        char c = operands[i];
        if (!in_image(p)) return false;
        if (c == 'J') {
            int32_t off = read_signed(p);
            d.target = p + uint32_t(off);
            continue;
        }
        Addr table = c == 'S'   ? vm.str_operands
                     : c == 'A' ? m.num_arrays
                     : c == 'B' ? m.str_arrays
                                : vm.num_operands;
        Addr desc = fetch_descriptor(p, table);
        uint16_t mode = load_u16(desc), offset = load_u16(desc + 2);
        Operand& o = d.x[n++];
        if (element_ref && i == 2) {
            o.delta = offset; // only the offset of the slot operand counts
            continue;
        }
        if (!operand_of(mode, offset, o)) return false;
    }
    if (!in_image(p - 1)) return false;
    d.next = p;
    return true;
}

} // namespace

void reset_decoded_ops() {
    decoded = DecodedCode{};
    decoded.image = program.image;
    decoded.size = program.image_size;
    decoded.slot.assign(decoded.size, nullptr);
}

DecodedOp* decoded_op_at(Addr pc) {
    uint32_t rel = pc - decoded.image;
    if (rel >= decoded.size) return nullptr;
    DecodedOp*& slot = decoded.slot[rel];
    if (slot) return slot;
    DecodedOp d;
    if (!decode(pc, d)) return slot = raw_op();
    decoded.ops.push_back(d);
    return slot = &decoded.ops.back();
}

} // namespace quillet
