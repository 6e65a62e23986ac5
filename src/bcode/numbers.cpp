#include "bcode/numbers.h"

#include "bcode/format_error.h"

#include <string>

namespace quillet::bcode {

size_t signed_size(int32_t v) {
    for (size_t size = 1; size <= 3; ++size)
        if (v >= signed_min[size] && v <= signed_max[size]) return size;
    throw FormatError("signed number " + std::to_string(v) + " is outside -2097152..2097151");
}

size_t unsigned_size(uint32_t v) {
    for (size_t size = 1; size <= 3; ++size)
        if (v <= unsigned_max[size]) return size;
    throw FormatError("unsigned number " + std::to_string(v) + " is above 4194303");
}

void encode_signed(int32_t v, size_t size, std::vector<uint8_t>& out) {
    if (size < 1 || size > 3 || v < signed_min[size] || v > signed_max[size])
        throw FormatError("signed number " + std::to_string(v) + " does not fit in " +
                          std::to_string(size) + " bytes");
    if (size == 1) {
        out.push_back(uint8_t(v + 64));
        return;
    }
    // The top byte holds (value >> 8 or >> 16) + 32 in its low six bits.
    uint32_t u = uint32_t(v + (size == 2 ? 32 * 256 : 32 * 65536));
    if (size == 2) {
        out.push_back(uint8_t(0x80 | (u >> 8)));
    } else {
        out.push_back(uint8_t(0xC0 | (u >> 16)));
        out.push_back(uint8_t(u >> 8));
    }
    out.push_back(uint8_t(u));
}

void encode_unsigned(uint32_t v, size_t size, std::vector<uint8_t>& out) {
    if (size < 1 || size > 3 || v > unsigned_max[size])
        throw FormatError("unsigned number " + std::to_string(v) + " does not fit in " +
                          std::to_string(size) + " bytes");
    if (size == 1) {
        out.push_back(uint8_t(v));
    } else if (size == 2) {
        out.push_back(uint8_t(0x80 | (v >> 8)));
        out.push_back(uint8_t(v));
    } else {
        out.push_back(uint8_t(0xC0 | (v >> 16)));
        out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
    }
}

} // namespace quillet::bcode
