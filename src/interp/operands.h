// Operand helpers of the bifs: a bif reads its operands from the op stream at vm.pc, in its own
// order, and writes its results into result operands.
#pragma once

#include "interp/op_stream.h"
#include "values/arrays.h"
#include "values/numbers.h"

namespace quillet {

// A bif run from a decoded record (op loop) finds its operands resolved in the record's list: an
// operand is taken from there when the list's next entry starts at vm.pc in the same operand
// table, and vm.pc then moves past it, so the address and the pc are what the stream gives. Any
// other read (a bif that reads in another order, skips or rereads operands, or a routine it
// enters) goes through the stream.
// The check and the listed operand are inline in each bif; the reading from the stream is not.
QUILLET_HOT_INLINE Addr listed_operand(Addr table) {
    const BifOperand* c = decoded.bif_cursor;
    if (c->at == vm.pc && c->table == table) [[likely]] {
        decoded.bif_cursor = c + 1;
        vm.pc = c->after;
        Addr a = vm.bases[c->base] + c->delta;
        return c->indirect ? load_u32(a) : a;
    }
    return stream_operand(table);
}

inline Addr num_operand() {
    return listed_operand(vm.num_operands);
}
inline Addr str_operand() {
    return listed_operand(vm.str_operands);
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
