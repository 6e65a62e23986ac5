// The signed and unsigned numbers of the op stream (jump offsets, counts, escaped operand
// indexes): one, two or three bytes, the size given by the top two bits of the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillet::bcode {

inline constexpr int32_t signed_min[4] = {0, -64, -8192, -2097152};
inline constexpr int32_t signed_max[4] = {0, 63, 8191, 2097151};
inline constexpr uint32_t unsigned_max[4] = {0, 127, 16383, 4194303};

// Bytes taken by the number whose first byte is `first`.
inline size_t number_size(uint8_t first) {
    return first < 0x80 ? 1 : first < 0xC0 ? 2 : 3;
}

// Decode the number at p (which must hold number_size(p[0]) bytes) and advance pos by its size.
inline int32_t decode_signed(const uint8_t* p, size_t& pos) {
    int32_t hi = (p[0] & 0x3F) - 32;
    switch (number_size(p[0])) {
    case 1: pos += 1; return int32_t(p[0]) - 64;
    case 2: pos += 2; return hi * 256 + p[1];
    default: pos += 3; return (hi * 256 + p[1]) * 256 + p[2];
    }
}

inline uint32_t decode_unsigned(const uint8_t* p, size_t& pos) {
    uint32_t hi = p[0] & 0x3F;
    switch (number_size(p[0])) {
    case 1: pos += 1; return p[0];
    case 2: pos += 2; return hi << 8 | p[1];
    default: pos += 3; return (hi << 8 | p[1]) << 8 | p[2];
    }
}

// Smallest encoding that holds v; throws FormatError when no encoding does.
size_t signed_size(int32_t v);
size_t unsigned_size(uint32_t v);

// Append v in exactly `size` bytes (1 to 3); throws FormatError when v does not fit.
void encode_signed(int32_t v, size_t size, std::vector<uint8_t>& out);
void encode_unsigned(uint32_t v, size_t size, std::vector<uint8_t>& out);

// Append v in its smallest encoding.
inline void encode_signed(int32_t v, std::vector<uint8_t>& out) {
    encode_signed(v, signed_size(v), out);
}
inline void encode_unsigned(uint32_t v, std::vector<uint8_t>& out) {
    encode_unsigned(v, unsigned_size(v), out);
}

} // namespace quillet::bcode
