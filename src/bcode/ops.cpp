#include "bcode/ops.h"

#include <array>

namespace quillet::bcode {

namespace {

constexpr OpInfo all_ops[] = {
#define QUILLET_OP(byte, name, operands) {byte, #name, operands},
#include "bcode/ops.def"
#undef QUILLET_OP
};

constexpr std::array<const OpInfo*, 256> make_op_index() {
    std::array<const OpInfo*, 256> index{};
    for (const OpInfo& op : all_ops)
        index[op.byte] = &op;
    return index;
}
constexpr std::array<const OpInfo*, 256> op_index = make_op_index();

struct ModeName {
    uint16_t value;
    std::string_view name;
};
constexpr ModeName all_modes[] = {
#define QUILLET_MODE(value, name, base, sign, access) {value, #name},
#include "bcode/address_modes.def"
#undef QUILLET_MODE
};

// mode_meanings is indexed by mode / 8: the rows of address_modes.def must run 0x00, 0x08, ...
constexpr bool modes_in_order() {
    uint16_t expected = 0;
    for (const ModeName& m : all_modes) {
        if (m.value != expected) return false;
        expected += mode_step;
    }
    return std::size(all_modes) == std::size(mode_meanings);
}
static_assert(modes_in_order(), "address_modes.def lists the modes in order, eight apart");

} // namespace

const OpInfo* op_info(uint8_t byte) {
    return op_index[byte];
}

const OpInfo* op_by_name(std::string_view name) {
    for (const OpInfo& op : all_ops)
        if (op.name == name) return &op;
    return nullptr;
}

std::string_view mode_name(uint16_t mode) {
    for (const ModeName& m : all_modes)
        if (m.value == mode) return m.name;
    return {};
}

bool mode_by_name(std::string_view name, uint16_t& mode) {
    for (const ModeName& m : all_modes)
        if (m.name == name) {
            mode = m.value;
            return true;
        }
    return false;
}

std::string_view table_name(ModuleTable table) {
    static constexpr std::string_view names[] = {"numeric operand table", "string operand table",
                                                 "numeric array table",   "string array table",
                                                 "routine table",         "line table",
                                                 "shared channel table"};
    return names[table];
}

} // namespace quillet::bcode
