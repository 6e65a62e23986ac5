// Numbers packed as 8-byte texts: the IEEE 754 double, most significant byte first, as programs
// store them in files.
#pragma once

#include "values/numbers.h"

#include <cstdint>

namespace quillet {

namespace err {
inline constexpr int32_t improper_num_string = -4020;
} // namespace err

// dst = the 8 bytes of x as a double (integer form converted).
void str_pack_double(Addr dst_cell, Cell x);

// The number packed in the record's text: -4020 unless it is 8 bytes and a number; an infinity
// reads as the largest finite double of its sign.
Cell unpack_double(Addr record);

} // namespace quillet
