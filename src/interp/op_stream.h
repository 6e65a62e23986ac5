// Reading the op stream: the signed and unsigned numbers, and operands with their address modes.
//
// Every reader takes the pc by reference so that the op loop can keep it in a local register and
// write it back only where a call may observe it.
#pragma once

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

// The descriptor an operand index selects: one byte, or for an escape entry (mode 0x40) an
// unsigned number starting at that same byte that selects entry 64 + u.
QUILLET_HOT_INLINE Addr fetch_descriptor(Addr& pc, Addr table) {
    Addr desc = table + 4 * uint32_t(load_u8(pc));
    if (load_u16(desc) != 0x40) {
        ++pc;
        return desc;
    }
    return table + 4 * (64 + read_unsigned(pc));
}

// The cell address a descriptor names.
QUILLET_HOT_INLINE Addr resolve_descriptor(Addr desc) {
    uint16_t mode = load_u16(desc);
    uint32_t off = load_u16(desc + 2);
    switch (mode) {
    case 0x00: return vm.env() - off;
    case 0x08: return vm.fp() - off;
    case 0x10: return load_u32(vm.env() - off);
    case 0x18: return load_u32(vm.fp() - off);
    case 0x20: return vm.bases[2] + off;
    case 0x28: return vm.bases[3] + off;
    case 0x30: return vm.bases[4] + off;
    case 0x38: return vm.global() - off;
    case 0x48: return vm.shared(0) - off;
    case 0x50: return vm.shared(1) - off;
    case 0x58: return vm.shared(2) - off;
    default: bad_operand_mode(mode);
    }
}

QUILLET_HOT_INLINE Addr fetch_operand(Addr& pc, Addr table) {
    return resolve_descriptor(fetch_descriptor(pc, table));
}

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
