// Operand helpers of the bifs: a bif reads its operands from the op stream at vm.pc, in its own
// order, and writes its results into result operands.
#pragma once

#include "interp/op_stream.h"
#include "values/arrays.h"
#include "values/numbers.h"

namespace quillet {

inline Addr num_operand() {
    return fetch_num(vm.pc);
}
inline Addr str_operand() {
    return fetch_str(vm.pc);
}
// An array operand's cell, its block checked (array_check_extent) before any bif copies from it.
inline Addr num_array_operand() {
    Addr cell = fetch_num_array(vm.pc);
    array_check_extent(load_u32(cell));
    return cell;
}
inline Addr str_array_operand() {
    Addr cell = fetch_str_array(vm.pc);
    array_check_extent(load_u32(cell));
    return cell;
}

// The operand as a 32-bit integer: doubles rounded half up and saturated.
inline int32_t int_operand() {
    return num_to_int32(load_cell(num_operand()));
}

inline void set_int_operand(int32_t v) {
    num_set_int(num_operand(), v);
}

inline void skip_operands(int n) {
    while (n-- > 0)
        read_unsigned(vm.pc);
}

inline void zero_results(int n) {
    while (n-- > 0)
        set_int_operand(0);
}

} // namespace quillet
