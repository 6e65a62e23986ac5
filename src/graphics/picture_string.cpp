// Picture strings over the host's device-independent bitmaps: the 24-byte prefix is ours, the
// information header, colour table and rows are the host's DIB, which checks its own sizes.
#include "graphics/picture_string.h"

#include "host/raster/dib.h"
#include "host/raster/raster_error.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Offsets within the information header.
constexpr size_t info_bits_per_pixel = 14;
constexpr size_t info_image_size = 20;

bool is_older_layout(std::span<const uint8_t> picture, SecondWord second_word) {
    const size_t marker = second_word == SecondWord::palette ? 4 : 8;
    return std::any_of(picture.begin(), picture.begin() + marker, [](uint8_t b) { return b != 0; });
}

// The device-independent bitmap of a current-layout string (from its information header on).
// A bits-per-pixel field of 0 is read as 24, the stride such a string was laid out with; that
// rare case works on a copy held by `patched`.
std::span<const uint8_t> bitmap_part(std::span<const uint8_t> picture,
                                     std::vector<uint8_t>& patched) {
    std::span<const uint8_t> bitmap = picture.subspan(picture_header_size);
    if (bitmap.size() < dib_header_size || bitmap[info_bits_per_pixel] != 0 ||
        bitmap[info_bits_per_pixel + 1] != 0)
        return bitmap;
    patched.assign(bitmap.begin(), bitmap.end());
    patched[info_bits_per_pixel] = 24;
    return patched;
}

Surface decode_older(std::span<const uint8_t> picture, const PictureInfo& info) {
    Surface surface(info.width, info.height);
    const size_t count = std::min<size_t>(u32(picture, 8), picture.size() - info.bits_offset);
    const size_t pixels = std::min(count / 4, static_cast<size_t>(info.width) * info.height);
    const uint8_t* in = picture.data() + info.bits_offset;
    for (size_t i = 0; i < pixels; ++i) {
        const int y = static_cast<int>(i / static_cast<size_t>(info.width));
        const int x = static_cast<int>(i % static_cast<size_t>(info.width));
        surface.set_pixel(x, y, make_color(in[4 * i + 2], in[4 * i + 1], in[4 * i]));
    }
    return surface;
}

} // namespace

PictureFormat picture_format_for_class(int color_class, int device_bits,
                                       std::vector<Color> palette) {
    switch (color_class) {
    case color_class::monochrome: return {1, std::move(palette)};
    case color_class::colors16:
    case color_class::colors16_b: return {4, std::move(palette)};
    case color_class::colors256:
    case color_class::colors256_b: return {8, std::move(palette)};
    case color_class::true_color:
        return {device_bits == 16 || device_bits == 24 ? device_bits : 32, {}};
    default: return {24, {}};
    }
}

bool picture_size_allowed(int64_t width, int64_t height) {
    return width >= 0 && height >= 0 && width <= max_surface_side && height <= max_surface_side &&
           width * height <= max_surface_pixels;
}

std::vector<uint8_t> keep_picture(const Surface& source, IntRect area,
                                  const PictureFormat& format) {
    if (area.is_empty()) return {};
    if (!picture_size_allowed(area.width(), area.height()))
        throw PictureError("a picture of " + std::to_string(area.width()) + " x " +
                           std::to_string(area.height()) + " pixels is too large");
    Surface kept(static_cast<int>(area.width()), static_cast<int>(area.height()));
    const IntRect inside = area.intersected(source.rect());
    for (int y = inside.top; y < inside.bottom; ++y)
        std::copy(source.scanline(y) + inside.left, source.scanline(y) + inside.right,
                  kept.scanline(y - area.top) + (inside.left - area.left));
    return encode_picture(kept, format);
}

std::vector<uint8_t> encode_picture(const Surface& surface, const PictureFormat& format,
                                    bool top_down) {
    // The host's default tables are whole; a caller's table is padded with black (or cut) to
    // 2^bits entries, so that the string always carries the whole table.
    DibFormat dib_format{format.bits_per_pixel, top_down, format.palette};
    if (format.bits_per_pixel <= 8 && !dib_format.palette.empty())
        dib_format.palette.resize(size_t{1} << format.bits_per_pixel, 0);
    std::vector<uint8_t> dib;
    try {
        dib = encode_dib(surface, surface.rect(), dib_format);
    } catch (const RasterError& e) {
        throw PictureError(e.what());
    }
    put32(dib.data() + info_image_size, 0);
    const DibInfo info = read_dib_info(dib);

    std::vector<uint8_t> picture(picture_header_size + dib.size(), 0);
    put32(picture.data() + 8, static_cast<uint32_t>(surface.width()));
    put32(picture.data() + 12, static_cast<uint32_t>(surface.height()));
    put32(picture.data() + 16, static_cast<uint32_t>(info.colors * 4));
    put32(picture.data() + 20, static_cast<uint32_t>(info.image_bytes));
    std::memcpy(picture.data() + picture_header_size, dib.data(), dib.size());
    return picture;
}

std::vector<uint8_t> blank_picture(int width, int height, int bits_per_pixel, bool top_down,
                                   size_t colors) {
    const size_t stride = (static_cast<size_t>(width) * bits_per_pixel + 31) / 32 * 4;
    const size_t image_bytes = stride * static_cast<size_t>(height);
    std::vector<uint8_t> picture(picture_prefix_size + colors * 4 + image_bytes, 0);
    uint8_t* p = picture.data();
    put32(p + 8, static_cast<uint32_t>(width));
    put32(p + 12, static_cast<uint32_t>(height));
    put32(p + 16, static_cast<uint32_t>(colors * 4));
    put32(p + 20, static_cast<uint32_t>(image_bytes));
    uint8_t* info = p + picture_header_size;
    put32(info, static_cast<uint32_t>(dib_header_size));
    put32(info + 4, static_cast<uint32_t>(width));
    put32(info + 8, static_cast<uint32_t>(top_down ? -height : height));
    info[12] = 1; // planes
    info[info_bits_per_pixel] = static_cast<uint8_t>(bits_per_pixel);
    put32(info + 32, static_cast<uint32_t>(colors));
    return picture;
}

PictureInfo read_picture_info(std::span<const uint8_t> picture, SecondWord second_word) {
    PictureInfo info;
    if (picture.empty()) return info;
    if (picture.size() < older_picture_header_size)
        throw PictureError("a picture string of " + std::to_string(picture.size()) +
                           " bytes is shorter than its header");
    if (is_older_layout(picture, second_word)) {
        const auto width = static_cast<int32_t>(u32(picture, 0));
        const auto height = static_cast<int32_t>(u32(picture, 4));
        if (!picture_size_allowed(width, height))
            throw PictureError("an older picture of " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels");
        info.layout = PictureLayout::older;
        info.width = width;
        info.height = height;
        info.top_down = true;
        info.bits_per_pixel = 32;
        info.bits_offset = older_picture_header_size;
        info.image_bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
        return info;
    }
    if (picture.size() < picture_prefix_size)
        throw PictureError("a picture string of " + std::to_string(picture.size()) +
                           " bytes is shorter than its headers");
    std::vector<uint8_t> patched;
    DibInfo dib;
    try {
        dib = read_dib_info(bitmap_part(picture, patched));
    } catch (const RasterError& e) {
        throw PictureError(e.what());
    }
    const uint64_t end = uint64_t{picture_header_size} + dib.bits_offset + dib.image_bytes;
    if (end > picture.size())
        throw PictureError("the picture's rows need " + std::to_string(end) +
                           " bytes, the string has " + std::to_string(picture.size()));
    info.layout = PictureLayout::current;
    info.width = dib.width;
    info.height = dib.height;
    info.top_down = dib.top_down;
    info.bits_per_pixel = dib.bits_per_pixel;
    info.colors = dib.colors;
    info.bits_offset = picture_header_size + dib.bits_offset;
    info.image_bytes = dib.image_bytes;
    return info;
}

Surface decode_picture(std::span<const uint8_t> picture, SecondWord second_word) {
    const PictureInfo info = read_picture_info(picture, second_word);
    switch (info.layout) {
    case PictureLayout::empty: return Surface();
    case PictureLayout::older: return decode_older(picture, info);
    case PictureLayout::current: break;
    }
    std::vector<uint8_t> patched;
    const std::span<const uint8_t> header = bitmap_part(picture.first(info.bits_offset), patched);
    try {
        return decode_dib(header, picture.subspan(info.bits_offset, info.image_bytes));
    } catch (const RasterError& e) {
        throw PictureError(e.what());
    }
}

} // namespace quillet
