// Reading the op stream: the signed and unsigned numbers, and operands with their address modes.
//
// Every reader takes the pc by reference so that the op loop can keep it in a local register and
// write it back only where a call may observe it.
#pragma once

#include "bcode/ops.h"
#include "interp/registers.h"
#include "values/arena.h"

#include <cstdint>

namespace quillet {

[[noreturn]] void bad_operand_mode(uint16_t mode);

QUILLET_HOT_INLINE int32_t read_signed(Addr& pc) {
    uint32_t b = load_u8(pc++);
    if (b < 0x80) return int32_t(b) - 64;
    int32_t v = (int32_t(b & 0x3F) - 32) * 256 + load_u8(pc++);
    if (b < 0xC0) return v;
    return v * 256 + load_u8(pc++);
}

QUILLET_HOT_INLINE uint32_t read_unsigned(Addr& pc) {
    uint32_t b = load_u8(pc++);
    if (b < 0x80) return b;
    uint32_t v = (b & 0x3F) * 256 + load_u8(pc++);
    if (b < 0xC0) return v;
    return v * 256 + load_u8(pc++);
}

inline uint32_t read_u32_be(Addr& pc) {
    uint32_t v = load_u32_be(pc);
    pc += 4;
    return v;
}

// Skips one signed or unsigned number without decoding it.
inline void skip_number(Addr& pc) {
    uint32_t b = load_u8(pc);
    pc += b < 0x80 ? 1 : b < 0xC0 ? 2 : 3;
}

// The descriptor an operand index selects: one byte, or for an escape entry an unsigned number
// starting at that same byte that selects entry 64 + u.
QUILLET_HOT_INLINE Addr fetch_descriptor(Addr& pc, Addr table) {
    Addr desc = table + 4 * uint32_t(load_u8(pc));
    if (load_u16(desc) != bcode::mode_escape) {
        ++pc;
        return desc;
    }
    return table + 4 * (bcode::escape_bias + read_unsigned(pc));
}

// The cell address of an operand in a mode of the given meaning.
template <bcode::ModeMeaning meaning>
QUILLET_HOT_INLINE Addr address_in_mode(uint32_t off) {
    if constexpr (meaning.base == bcode::base_none) {
        return 0; // never selected: the escape's case label matches no mode (below)
    } else {
        Addr base = vm.bases[meaning.base];
        Addr a = meaning.subtracts ? base - off : base + off;
        return meaning.indirect ? load_u32(a) : a;
    }
}

// The case label of a mode in resolve_descriptor: a value above every u16 for the escape, so that
// it goes with the values that are not modes.
constexpr uint32_t mode_case(uint16_t mode) {
    return bcode::mode_meaning(mode).base == bcode::base_none ? 0x10000u + mode : mode;
}

// The cell address a descriptor names: one case per mode of address_modes.def. The escape and
// any value that is not a mode stop the program, by one call (so the readers need no frame).
QUILLET_HOT_INLINE Addr resolve_descriptor(Addr desc) {
    uint16_t mode = load_u16(desc);
    uint32_t off = load_u16(desc + 2);
    switch (uint32_t(mode)) {
#define QUILLET_MODE(value, name, from, sign, access)                                              \
    case mode_case(value):                                                                         \
        return address_in_mode<bcode::mode_meaning(value)>(off);
#include "bcode/address_modes.def"
#undef QUILLET_MODE
    default: bad_operand_mode(mode);
    }
}

QUILLET_HOT_INLINE Addr fetch_operand(Addr& pc, Addr table) {
    return resolve_descriptor(fetch_descriptor(pc, table));
}

// The operand at vm.pc through the given table; vm.pc moves past it.
[[gnu::noinline]] Addr stream_operand(Addr table);

QUILLET_HOT_INLINE Addr fetch_num(Addr& pc) {
    return fetch_operand(pc, vm.num_operands);
}
QUILLET_HOT_INLINE Addr fetch_str(Addr& pc) {
    return fetch_operand(pc, vm.str_operands);
}
inline Addr fetch_num_array(Addr& pc) {
    return fetch_operand(pc, program.modules[vm.module].num_arrays);
}
inline Addr fetch_str_array(Addr& pc) {
    return fetch_operand(pc, program.modules[vm.module].str_arrays);
}

} // namespace quillet
