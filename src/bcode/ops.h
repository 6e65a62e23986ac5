// The op set as data: byte values, names and operand signatures, all taken from ops.def.
#pragma once

#include <cstdint>
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
#define QUILLET_MODE(value, name) mode_##name = value,
#include "bcode/address_modes.def"
#undef QUILLET_MODE
};

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
