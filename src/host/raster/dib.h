// Device-independent bitmaps: the 40-byte information header (or a later, longer version), a
// colour table or bit masks, and rows padded to 4 bytes, bottom-up for a positive height and
// top-down for a negative one. 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit
// masks (16 and 32 bits). Headers and data come from programs and files, so every size is checked
// before use: a malformed or truncated bitmap is refused with RasterError, never read past.
#pragma once

#include "host/raster/surface.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

inline constexpr size_t dib_header_size = 40;

struct DibInfo {
    int width = 0;
    int height = 0; // rows, always positive
    bool top_down = false;
    int bits_per_pixel = 0;
    uint32_t compression = 0;      // 0 plain, 3 bit masks
    size_t colors = 0;             // entries of the colour table
    size_t table_offset = 0;       // of the colour table, from the start of the header
    size_t bits_offset = 0;        // of the rows in a packed bitmap, from the start of the header
    size_t stride = 0;             // bytes per row
    size_t image_bytes = 0;        // stride x height
    uint32_t masks[3] = {0, 0, 0}; // red, green and blue masks of 16- and 32-bit pixels
};

// Reads and checks the header (and that the colour table or masks are present in it).
DibInfo read_dib_info(std::span<const uint8_t> header);

// A packed bitmap: header, colour table or masks, then the rows.
Surface decode_dib(std::span<const uint8_t> packed);
// The header with its colour table or masks, and the rows apart (bitmap files and pictures).
Surface decode_dib(std::span<const uint8_t> header, std::span<const uint8_t> bits);

struct DibFormat {
    int bits_per_pixel = 24; // 1, 4, 8, 16 (5-5-5), 24 or 32
    bool top_down = false;
    // For 1, 4 and 8 bits: at most 2^bits entries; each pixel takes the nearest. When empty:
    // black and white, the sixteen VGA colours, or the fixed 256-colour table.
    std::vector<Color> palette;
};

// The part of the surface inside area (clipped to the surface) as a packed bitmap.
std::vector<uint8_t> encode_dib(const Surface& surface, IntRect area, const DibFormat& format);

} // namespace quillet
