// The interpreter's registers and the loaded program it runs: one instance of each per process.
#pragma once

#include "bcode/ops.h"
#include "interp/interp_state.h"
#include "values/arena.h"

#include <cstdint>
#include <vector>

namespace quillet {

// Makes module m current: its operand tables become the ones operands resolve through.
inline void set_module(uint32_t m) {
    vm.module = m;
    vm.num_operands = program.modules[m].num_operands;
    vm.str_operands = program.modules[m].str_operands;
}

} // namespace quillet
