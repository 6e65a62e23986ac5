// Decoding and encoding of device-independent bitmaps, with every offset checked in 64 bits.
#include "host/raster/dib.h"

#include "host/raster/palettes.h"
#include "host/raster/raster_error.h"

#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>

namespace quillet {

namespace {

[[noreturn]] void refuse(const std::string& why) {
    throw RasterError(RasterErrorCode::bad_bitmap, "bad device-independent bitmap: " + why);
}

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
uint16_t u16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// A channel of width bits widened to 8 bits by repeating its bits (31 -> 255, 16 -> 132).
uint32_t widen(uint32_t value, int width) {
    if (width <= 0) return 0;
    if (width >= 8) return (value >> (width - 8)) & 0xFF;
    uint32_t r = value << (8 - width);
    for (int shift = width; shift < 8; shift *= 2)
        r |= r >> shift;
    return r & 0xFF;
}

struct Channel {
    int shift = 0;
    int width = 0;
    explicit Channel(uint32_t mask) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        width = std::popcount(mask);
    }
    uint32_t operator()(uint32_t pixel, uint32_t mask) const {
        return widen((pixel & mask) >> shift, width);
    }
};

std::vector<Color> default_palette(int bits) {
    switch (bits) {
    case 1: return {0x000000, 0xFFFFFF};
    case 4:
        return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    default: return make_palette(PaletteKind::colors256);
    }
}

} // namespace

DibInfo read_dib_info(std::span<const uint8_t> header) {
    if (header.size() < 4) refuse("the header is truncated");
    const uint32_t size = u32(header, 0);
    if (size < dib_header_size) refuse("header size " + std::to_string(size) + " is not supported");
    if (size > header.size()) refuse("the header is truncated");
    DibInfo info;
    const int32_t width = static_cast<int32_t>(u32(header, 4));
    const int32_t height = static_cast<int32_t>(u32(header, 8));
    info.bits_per_pixel = u16(header, 14);
    info.compression = u32(header, 16);
    const uint32_t colors_used = u32(header, 32);
    if (width < 0 || width > max_surface_side || height == INT32_MIN ||
        std::abs(height) > max_surface_side ||
        int64_t{width} * std::abs(int64_t{height}) > max_surface_pixels)
        refuse("size " + std::to_string(width) + " x " + std::to_string(height) +
               " is out of range");
    info.width = width;
    info.height = std::abs(height);
    info.top_down = height < 0;
    const int bpp = info.bits_per_pixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        refuse(std::to_string(bpp) + " bits per pixel are not supported");
    if (info.compression != 0 && !(info.compression == 3 && (bpp == 16 || bpp == 32)))
        refuse("compression " + std::to_string(info.compression) + " is not supported");

    size_t masks_end = size;
    if (info.compression == 3) {
        masks_end = size == dib_header_size ? size + 12 : size;
        if (masks_end > header.size() || dib_header_size + 12 > masks_end)
            refuse("the bit masks are missing");
        for (int i = 0; i < 3; ++i)
            info.masks[i] = u32(header, dib_header_size + 4 * i);
    } else if (bpp == 16) {
        info.masks[0] = 0x7C00, info.masks[1] = 0x03E0, info.masks[2] = 0x001F;
    } else if (bpp == 32) {
        info.masks[0] = 0xFF0000, info.masks[1] = 0x00FF00, info.masks[2] = 0x0000FF;
    }
    info.colors = colors_used ? colors_used : (bpp <= 8 ? size_t{1} << bpp : 0);
    info.table_offset = masks_end;
    const uint64_t table_end = uint64_t{masks_end} + uint64_t{info.colors} * 4;
    if (table_end > header.size()) refuse("the colour table is truncated");
    info.bits_offset = static_cast<size_t>(table_end);
    info.stride = static_cast<size_t>((static_cast<uint64_t>(info.width) * bpp + 31) / 32 * 4);
    info.image_bytes = info.stride * static_cast<size_t>(info.height);
    return info;
}

Surface decode_dib(std::span<const uint8_t> packed) {
    const DibInfo info = read_dib_info(packed);
    return decode_dib(packed.first(info.bits_offset), packed.subspan(info.bits_offset));
}

Surface decode_dib(std::span<const uint8_t> header, std::span<const uint8_t> bits) {
    const DibInfo info = read_dib_info(header);
    if (bits.size() < info.image_bytes)
        refuse("the pixel rows are truncated (" + std::to_string(bits.size()) + " of " +
               std::to_string(info.image_bytes) + " bytes)");
    std::vector<Color> table(info.colors);
    for (size_t i = 0; i < info.colors; ++i) {
        const size_t at = info.table_offset + 4 * i;
        table[i] = make_color(header[at + 2], header[at + 1], header[at]);
    }
    const Channel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]);
    const int bpp = info.bits_per_pixel;
    Surface surface(info.width, info.height);
    for (int y = 0; y < info.height; ++y) {
        const int stored = info.top_down ? y : info.height - 1 - y;
        const uint8_t* row = bits.data() + static_cast<size_t>(stored) * info.stride;
        Color* out = surface.scanline(y);
        for (int x = 0; x < info.width; ++x) {
            if (bpp <= 8) {
                const int per_byte = 8 / bpp;
                const int shift = 8 - bpp * (x % per_byte + 1);
                const size_t index = (row[x / per_byte] >> shift) & ((1u << bpp) - 1);
                out[x] = index < table.size() ? table[index] : 0;
            } else if (bpp == 24) {
                const uint8_t* p = row + 3 * static_cast<size_t>(x);
                out[x] = make_color(p[2], p[1], p[0]);
            } else {
                const uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
                uint32_t v = p[0] | uint32_t{p[1]} << 8;
                if (bpp == 32) v |= uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
                out[x] = make_color(static_cast<uint8_t>(red(v, info.masks[0])),
                                    static_cast<uint8_t>(green(v, info.masks[1])),
                                    static_cast<uint8_t>(blue(v, info.masks[2])));
            }
        }
    }
    return surface;
}

std::vector<uint8_t> encode_dib(const Surface& surface, IntRect area, const DibFormat& format) {
    const int bpp = format.bits_per_pixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        refuse(std::to_string(bpp) + " bits per pixel cannot be written");
    std::vector<Color> palette;
    if (bpp <= 8) {
        palette = format.palette.empty() ? default_palette(bpp) : format.palette;
        if (palette.size() > (size_t{1} << bpp))
            refuse("a palette of " + std::to_string(palette.size()) + " colours for " +
                   std::to_string(bpp) + " bits per pixel");
    }
    area = area.intersected(surface.rect());
    const int width = static_cast<int>(area.width()), height = static_cast<int>(area.height());
    const size_t stride = static_cast<size_t>((int64_t{width} * bpp + 31) / 32 * 4);

    std::vector<uint8_t> out;
    out.reserve(dib_header_size + palette.size() * 4 + stride * static_cast<size_t>(height));
    put32(out, dib_header_size);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(format.top_down ? -height : height));
    put16(out, 1);
    put16(out, static_cast<uint16_t>(bpp));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(stride * static_cast<size_t>(height)));
    put32(out, 0);
    put32(out, 0);
    put32(out, static_cast<uint32_t>(palette.size()));
    put32(out, 0);
    for (Color c : palette) {
        out.push_back(blue_of(c));
        out.push_back(green_of(c));
        out.push_back(red_of(c));
        out.push_back(0);
    }

    std::unordered_map<Color, uint8_t> index_of;
    auto index = [&](Color c) {
        auto [it, added] = index_of.try_emplace(c, uint8_t{0});
        if (added) it->second = static_cast<uint8_t>(nearest_color_index(palette, c));
        return it->second;
    };
    const size_t rows_at = out.size();
    out.resize(rows_at + stride * static_cast<size_t>(height), 0);
    for (int r = 0; r < height; ++r) {
        const int y = area.top + (format.top_down ? r : height - 1 - r);
        const Color* in = surface.scanline(y) + area.left;
        uint8_t* row = out.data() + rows_at + static_cast<size_t>(r) * stride;
        for (int x = 0; x < width; ++x) {
            const Color c = in[x] & color_mask;
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                const int per_byte = 8 / bpp;
                const int shift = 8 - bpp * (x % per_byte + 1);
                row[x / per_byte] |= static_cast<uint8_t>(index(c) << shift);
                break;
            }
            case 16: {
                const uint16_t v = static_cast<uint16_t>((red_of(c) >> 3) << 10 |
                                                         (green_of(c) >> 3) << 5 | blue_of(c) >> 3);
                row[2 * x] = static_cast<uint8_t>(v);
                row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            default: {
                uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
                p[0] = blue_of(c);
                p[1] = green_of(c);
                p[2] = red_of(c);
            }
            }
        }
    }
    return out;
}

} // namespace quillet
