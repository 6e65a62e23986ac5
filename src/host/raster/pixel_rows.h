// Filling and copying rows of pixels (copies between surfaces, or within one where the rows do
// not overlap): the inner loops of solid fills and block transfers.
//
// glibc's memcpy copies blocks of 4 KB and more (a row 1024 pixels wide) with `rep movsb`, which
// on some processors runs ten times slower when source and destination lie at nearby offsets
// within their pages, as two surfaces allocated one after the other often do. Explicit 16-byte
// moves, stored aligned, run at the speed of the caches in every alignment. Compilers turn plain
// element loops back into library calls, hence the vector type.
#pragma once

#include "host/raster/color.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillet::paint {

using PixelBlock = Color __attribute__((vector_size(16)));
inline constexpr size_t pixels_per_block = sizeof(PixelBlock) / sizeof(Color);

// The number of pixels before dest reaches a block boundary (at most count).
inline size_t pixels_to_alignment(const Color* dest, size_t count) {
    const size_t misalignment = reinterpret_cast<uintptr_t>(dest) % sizeof(PixelBlock);
    const size_t lead = misalignment ? (sizeof(PixelBlock) - misalignment) / sizeof(Color) : 0;
    return lead < count ? lead : count;
}

inline void fill_row(Color* dest, Color color, size_t count) {
    size_t i = pixels_to_alignment(dest, count);
    for (size_t j = 0; j < i; ++j)
        dest[j] = color;
    const PixelBlock block = {color, color, color, color};
    for (; i + 4 * pixels_per_block <= count; i += 4 * pixels_per_block) {
        Color* to = static_cast<Color*>(__builtin_assume_aligned(dest + i, sizeof(PixelBlock)));
        for (size_t k = 0; k < 4; ++k)
            std::memcpy(to + k * pixels_per_block, &block, sizeof block);
    }
    for (; i + pixels_per_block <= count; i += pixels_per_block)
        std::memcpy(__builtin_assume_aligned(dest + i, sizeof(PixelBlock)), &block, sizeof block);
    for (; i < count; ++i)
        dest[i] = color;
}

inline void copy_row(Color* dest, const Color* source, size_t count) {
    size_t i = pixels_to_alignment(dest, count);
    for (size_t j = 0; j < i; ++j)
        dest[j] = source[j];
    for (; i + 4 * pixels_per_block <= count; i += 4 * pixels_per_block) {
        PixelBlock a, b, c, d;
        std::memcpy(&a, source + i, sizeof a);
        std::memcpy(&b, source + i + pixels_per_block, sizeof b);
        std::memcpy(&c, source + i + 2 * pixels_per_block, sizeof c);
        std::memcpy(&d, source + i + 3 * pixels_per_block, sizeof d);
        Color* to = static_cast<Color*>(__builtin_assume_aligned(dest + i, sizeof(PixelBlock)));
        std::memcpy(to, &a, sizeof a);
        std::memcpy(to + pixels_per_block, &b, sizeof b);
        std::memcpy(to + 2 * pixels_per_block, &c, sizeof c);
        std::memcpy(to + 3 * pixels_per_block, &d, sizeof d);
    }
    for (; i + pixels_per_block <= count; i += pixels_per_block) {
        PixelBlock block;
        std::memcpy(&block, source + i, sizeof block);
        std::memcpy(__builtin_assume_aligned(dest + i, sizeof(PixelBlock)), &block, sizeof block);
    }
    for (; i < count; ++i)
        dest[i] = source[i];
}

} // namespace quillet::paint
