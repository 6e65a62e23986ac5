// Bit fields inside texts, and the LONG mode that stores a 32-bit little-endian word at a byte
// offset. Bits are numbered from 1 at the most significant bit of the first byte.
#pragma once

#include "values/arena.h"

#include <cstdint>

namespace quillet {

// A width of this value (the bytes "LONG" read big-endian) selects the LONG mode.
inline constexpr int32_t long_mode_width = 0x4C4F4E47;

// Writes the |width|-bit field of value at bit position, extending the text with zero bytes as
// far as the field reaches. A position beyond the text is taken as its end; a field wider than
// 32 bits holds value in its last 32 bits and zeros before.
void bit_field_write(Addr cell, int32_t position, int32_t width, int32_t value);

// The |width|-bit field at bit position (bits past the end read as 0), sign-extended when width
// is negative; wider fields give their last 32 bits.
int32_t bit_field_read(Addr record, int32_t position, int32_t width);

} // namespace quillet
