// The string operations of the op set: order, concatenation, substrings and substring assignment,
// each on string cells with their maximum lengths.
#pragma once

#include "values/arena.h"

#include <cstdint>

namespace quillet {

// a after b in byte order (unsigned); a longer string is after its own prefix.
bool str_after(Addr a_record, Addr b_record);

// r = a followed by b; any of the three cells may be the same.
void concat(Addr a_cell, Addr b_cell, Addr r_cell);

// dst = src[from:to], 1-based and inclusive, clipped to the text.
void substr(Addr src_cell, int32_t from, int32_t to, Addr dst_cell);

// dst[from:to] = src; an empty range is an insertion point.
void substr_assign(Addr src_cell, Addr dst_cell, int32_t from, int32_t to);

} // namespace quillet
