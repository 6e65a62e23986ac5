// Picture strings to and from the clipboard's packed bitmaps.
#include "graphics/clipboard_picture.h"

#include "graphics/picture_string.h"
#include "host/raster/dib.h"
#include "host/raster/raster_error.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

std::vector<uint8_t> clipboard_bitmap_of_picture(std::span<const uint8_t> picture) {
    const PictureInfo info = read_picture_info(picture);
    switch (info.layout) {
    case PictureLayout::empty: return {};
    case PictureLayout::older: {
        const std::vector<uint8_t> converted =
            encode_picture(decode_picture(picture), PictureFormat{24, {}});
        return {converted.begin() + picture_header_size, converted.end()};
    }
    case PictureLayout::current: break;
    }
    const size_t end = info.bits_offset + info.image_bytes;
    std::vector<uint8_t> bitmap(picture.begin() + picture_header_size, picture.begin() + end);
    // A bits-per-pixel field of 0 is what older programs stored for 24 bits; the clipboard's
    // readers need the real depth.
    const size_t depth_field = picture_header_size + 14;
    if (picture[depth_field] == 0 && picture[depth_field + 1] == 0)
        std::fill_n(bitmap.begin() + 14, 1, uint8_t{24});
    return bitmap;
}

std::vector<uint8_t> picture_of_clipboard_bitmap(std::span<const uint8_t> bitmap) {
    DibInfo dib;
    try {
        dib = read_dib_info(bitmap);
    } catch (const RasterError& e) {
        throw PictureError(e.what());
    }
    const uint64_t end = uint64_t{dib.bits_offset} + dib.image_bytes;
    if (end > bitmap.size())
        throw PictureError("the clipboard bitmap's rows need " + std::to_string(end) +
                           " bytes, it has " + std::to_string(bitmap.size()));
    std::vector<uint8_t> picture(picture_header_size + end, 0);
    put32(picture.data() + 8, static_cast<uint32_t>(dib.width));
    put32(picture.data() + 12, static_cast<uint32_t>(dib.height));
    put32(picture.data() + 16, static_cast<uint32_t>(dib.colors * 4));
    put32(picture.data() + 20, static_cast<uint32_t>(dib.image_bytes));
    std::memcpy(picture.data() + picture_header_size, bitmap.data(), end);
    return picture;
}

} // namespace quillet
