// The op set as data: byte values, names and operand signatures, all taken from ops.def.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

namespace quillet::bcode {

enum OpByte : uint8_t {
#define QUILLET_OP(byte, name, operands) op_##name = byte,
#include "bcode/ops.def"
#undef QUILLET_OP
};

struct OpInfo {
    uint8_t byte;
    std::string_view name;
    std::string_view operands; // letters as documented in ops.def
};

// nullptr when the byte is not an op.
const OpInfo* op_info(uint8_t byte);
const OpInfo* op_by_name(std::string_view name);

// Address modes of operand descriptors.
enum AddressMode : uint16_t {
#define QUILLET_MODE(value, name, base, sign, access) mode_##name = value,
#include "bcode/address_modes.def"
#undef QUILLET_MODE
};

// The registers an address mode counts from, numbered as the interpreter keeps them in one array
// (so that a resolved operand can name its register by index). absolute is always 0: the base of
// an operand whose address is known in advance. none: the escape entry, which names no operand.
enum ModeBase : uint8_t {
    base_env,     // the environment frame, whose variables the routine sees
    base_frame,   // the current frame (0 before the first)
    base_cell1,   // numeric literal cells
    base_tail,    // string-literal references
    base_cell2,   // the second cell area
    base_global,  // the first frame: variables of the main program
    base_shared0, // the three shared registers
    base_shared1,
    base_shared2,
    base_absolute,
    mode_base_count,
    base_none = 0xFF
};

// What a mode means: the operand's address is the base register plus or minus the offset, read
// through the word there when indirect.
struct ModeMeaning {
    ModeBase base = base_none;
    bool subtracts = false;
    bool indirect = false;
};

// The meaning of each mode, indexed by mode / 8.
inline constexpr uint16_t mode_step = 8;
inline constexpr ModeMeaning mode_meanings[] = {
#define QUILLET_MODE(value, name, base, sign, access)                                              \
    {base_##base, #sign[0] == 'm', #access[0] == 'i'},
#include "bcode/address_modes.def"
#undef QUILLET_MODE
};

// The mode that reaches the variables of shared register r (0..2).
constexpr uint16_t shared_register_mode(uint32_t r) {
    return uint16_t(mode_shared0 + mode_step * r);
}

// The meaning of a descriptor's mode field; base_none for the escape and for values that are not
// modes.
constexpr ModeMeaning mode_meaning(uint16_t mode) {
    uint32_t i = mode / mode_step;
    if (mode % mode_step || i >= std::size(mode_meanings)) return {};
    return mode_meanings[i];
}

// Empty when the value is not one of the twelve modes.
std::string_view mode_name(uint16_t mode);
// Returns false when the name is not a mode.
bool mode_by_name(std::string_view name, uint16_t& mode);

// The four operand tables a descriptor can live in, and the module's other tables.
enum ModuleTable : int {
    table_numeric_operands,
    table_string_operands,
    table_numeric_arrays,
    table_string_arrays,
    table_routines,
    table_lines,
    table_channels,
    module_table_count
};
std::string_view table_name(ModuleTable table);

// Operand indexes: 0..127 direct, 128..255 escape entries in tables longer than 128 entries,
// 256 and above reached through an escape as the unsigned number index - 64.
inline constexpr uint32_t direct_index_limit = 128;
inline constexpr uint32_t first_escaped_index = 256;
inline constexpr uint32_t escape_bias = 64;

} // namespace quillet::bcode
