// Raster operations: how a pen, brush or source pixel mixes with the destination.
//
// Both kinds are read straight from their code's truth table, bit by bit over the 24 colour bits,
// so every code works without a hand-written table:
// - a binary operation (Rop2, the 16 mixes of pen P and destination D) has the table code - 1,
//   with bit index (P << 1) | D;
// - a ternary operation (the 256 block-transfer codes of pattern P, source S and destination D)
//   has its table in bits 16-23 of the code, with bit index (P << 2) | (S << 1) | D.
#pragma once

#include "host/raster/color.h"

#include <cstdint>

namespace quillet {

enum class Rop2 : uint8_t {
    black = 1,
    not_merge_pen,
    mask_not_pen,
    not_copy_pen,
    mask_pen_not,
    invert,
    xor_pen,
    not_mask_pen,
    mask_pen,
    not_xor_pen,
    nop,
    merge_not_pen,
    copy_pen,
    merge_pen_not,
    merge_pen,
    white,
};

// Written as a sum of the table's minterms with all-or-nothing masks: branch-free at run time,
// and folded to the code's own few operations when the code is a constant.
constexpr Color apply_rop2(Rop2 op, Color pen, Color dst) {
    const unsigned table = (static_cast<unsigned>(op) - 1) & 15;
    auto m = [table](unsigned k) { return (table >> k & 1) ? ~Color{0} : Color{0}; };
    return ((~pen & ~dst & m(0)) | (~pen & dst & m(1)) | (pen & ~dst & m(2)) | (pen & dst & m(3))) &
           color_mask;
}

// A ternary raster operation code as programs pass it, for example 0xCC0020.
using Rop3 = uint32_t;

namespace rop3 {
inline constexpr Rop3 blackness = 0x000042;
inline constexpr Rop3 not_src_erase = 0x1100A6;
inline constexpr Rop3 not_src_copy = 0x330008;
inline constexpr Rop3 src_erase = 0x440328;
inline constexpr Rop3 dst_invert = 0x550009;
inline constexpr Rop3 pat_invert = 0x5A0049;
inline constexpr Rop3 src_invert = 0x660046;
inline constexpr Rop3 src_and = 0x8800C6;
inline constexpr Rop3 merge_paint = 0xBB0226;
inline constexpr Rop3 merge_copy = 0xC000CA;
inline constexpr Rop3 src_copy = 0xCC0020;
inline constexpr Rop3 src_paint = 0xEE0086;
inline constexpr Rop3 pat_copy = 0xF00021;
inline constexpr Rop3 pat_paint = 0xFB0A09;
inline constexpr Rop3 whiteness = 0xFF0062;
} // namespace rop3

constexpr uint8_t rop3_table(Rop3 code) {
    return static_cast<uint8_t>(code >> 16);
}

constexpr Color apply_rop3(uint8_t table, Color p, Color s, Color d) {
    auto m = [table](unsigned k) { return (table >> k & 1) ? ~Color{0} : Color{0}; };
    const Color np = ~p, ns = ~s, nd = ~d;
    return ((np & ns & nd & m(0)) | (np & ns & d & m(1)) | (np & s & nd & m(2)) |
            (np & s & d & m(3)) | (p & ns & nd & m(4)) | (p & ns & d & m(5)) | (p & s & nd & m(6)) |
            (p & s & d & m(7))) &
           color_mask;
}

// Whether the result depends on the source (or the pattern) at all: the table differs between
// the two halves that the bit selects.
constexpr bool rop3_uses_source(uint8_t table) {
    return ((table >> 2) ^ table) & 0x33;
}
constexpr bool rop3_uses_pattern(uint8_t table) {
    return ((table >> 4) ^ table) & 0x0F;
}

} // namespace quillet
