#include "png_chunks.h"

#include <zlib.h>

namespace quillet::fuzz {

void make_png_crcs_right(uint8_t* data, size_t size) {
    size_t at = 8;
    while (size >= at && size - at >= 12) {
        const uint64_t length = uint64_t{data[at]} << 24 | uint64_t{data[at + 1]} << 16 |
                                uint64_t{data[at + 2]} << 8 | data[at + 3];
        if (length > size - at - 12) return;
        const size_t end = at + 8 + static_cast<size_t>(length);
        const uLong crc = crc32(crc32(0, nullptr, 0), data + at + 4, static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i)
            data[end + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at = end + 4;
    }
}

} // namespace quillet::fuzz
