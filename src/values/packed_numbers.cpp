#include "values/packed_numbers.h"

#include "values/strings.h"

#include <bit>

namespace quillet {

void str_pack_double(Addr dst_cell, Cell x) {
    uint64_t bits = std::bit_cast<uint64_t>(num_to_double(x));
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    str_set_bytes(dst_cell, bytes, 8);
}

Cell unpack_double(Addr record) {
    if (str_length(record) != 8) raise_error(err::improper_num_string);
    uint64_t bits = 0;
    for (int32_t i = 0; i < 8; ++i)
        bits = (bits << 8) | uint64_t(str_byte_at(record, i));
    constexpr uint64_t exponent = 0x7FF0000000000000u, mantissa = 0x000FFFFFFFFFFFFFu;
    if ((bits & exponent) == exponent) {
        if (bits & mantissa) raise_error(err::improper_num_string);
        double largest = num_max();
        return std::bit_cast<Cell>((bits >> 63) ? -largest : largest);
    }
    return num_double(std::bit_cast<double>(bits));
}

} // namespace quillet
