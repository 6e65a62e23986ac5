// Operand helpers of the bifs: a bif reads its operands from the op stream at vm.pc, in its own
// order, and writes its results into result operands.
#pragma once

#include "interp/op_stream.h"
#include "values/numbers.h"

namespace quillet {

inline Addr num_operand() {
    return fetch_num(vm.pc);
}
inline Addr str_operand() {
    return fetch_str(vm.pc);
}
inline Addr num_array_operand() {
    return fetch_num_array(vm.pc);
}
inline Addr str_array_operand() {
    return fetch_str_array(vm.pc);
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
