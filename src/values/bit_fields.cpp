#include "values/bit_fields.h"

#include "values/strings.h"

#include <algorithm>
#include <cstring>

namespace quillet {
namespace {

// Bit positions and byte counts are 64-bit here: a position near 2^31 bytes times 8 plus a width
// of up to 2^31 bits does not fit 32.
class BitWriter {
public:
    explicit BitWriter(std::byte* text) : text_(text) {}

    void put(int64_t bit, bool one) {
        auto& byte = text_[bit >> 3];
        std::byte mask{static_cast<unsigned char>(0x80u >> (bit & 7))};
        byte = one ? (byte | mask) : (byte & ~mask);
    }

    // Clears count bits from bit on: single bits up to a byte edge, whole bytes between.
    void clear(int64_t bit, int64_t count) {
        for (; count > 0 && (bit & 7); --count)
            put(bit++, false);
        int64_t whole = count >> 3;
        std::memset(text_ + (bit >> 3), 0, size_t(whole));
        bit += whole * 8;
        count -= whole * 8;
        for (; count > 0; --count)
            put(bit++, false);
    }

private:
    std::byte* text_;
};

int32_t checked_length(int64_t n) {
    if (n > INT32_MAX) raise_error(err::string_too_long);
    return static_cast<int32_t>(n);
}

void write_long(Addr cell, int32_t position, int32_t value) {
    int32_t length = str_length(load_u32(cell));
    int64_t offset = std::clamp<int64_t>(int64_t{position} - 1, 0, length);
    int32_t new_length = checked_length(std::max<int64_t>(length, offset + 4));
    Addr rec = str_reserve(cell, new_length);
    store_u32(str_text(rec) + uint32_t(offset), static_cast<uint32_t>(value));
    str_set_length(rec, new_length);
}

} // namespace

void bit_field_write(Addr cell, int32_t position, int32_t width, int32_t value) {
    if (width == long_mode_width) return write_long(cell, position, value);
    int32_t length = str_length(load_u32(cell));
    int64_t p = std::clamp<int64_t>(int64_t{position} - 1, 0, int64_t{length} * 8);
    int64_t k = width < 0 ? -int64_t{width} : width;
    int32_t new_length = checked_length(std::max<int64_t>(length, (p + k + 7) / 8));
    Addr rec = str_reserve(cell, new_length);
    std::byte* text = host_ptr(str_text(rec));
    std::memset(text + length, 0, size_t(new_length - length));
    str_set_length(rec, new_length);

    BitWriter bits(text);
    int64_t low = std::min<int64_t>(k, 32);
    bits.clear(p, k - low);
    for (int64_t j = 0, at = p + k - low; j < low; ++j, ++at)
        bits.put(at, (static_cast<uint32_t>(value) >> (low - 1 - j)) & 1);
}

int32_t bit_field_read(Addr record, int32_t position, int32_t width) {
    int64_t length = str_length(record);
    const std::byte* text = host_ptr(str_text(record));
    if (width == long_mode_width) {
        int64_t offset = int64_t{position} - 1;
        if (offset < 0 || offset + 4 > length) return 0;
        return load_i32(str_text(record) + uint32_t(offset));
    }
    int64_t p = std::max<int64_t>(int64_t{position} - 1, 0);
    int64_t k = width < 0 ? -int64_t{width} : width;
    int64_t low = std::min<int64_t>(k, 32);
    uint32_t a = 0;
    for (int64_t at = p + k - low; at < p + k; ++at) {
        uint32_t bit = 0;
        if ((at >> 3) < length) bit = (static_cast<uint32_t>(text[at >> 3]) >> (7 - (at & 7))) & 1;
        a = (a << 1) | bit;
    }
    // A signed field narrower than 32 bits extends its first bit; a wider one keeps its low bits.
    if (width < 0 && low < 32 && low > 0 && ((a >> (low - 1)) & 1)) a |= ~uint32_t{0} << low;
    return static_cast<int32_t>(a);
}

} // namespace quillet
