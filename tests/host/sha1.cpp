// SHA-1 (FIPS 180-4): 512-bit blocks, 80 rounds, big-endian words and length.
#include "sha1.h"

#include <array>
#include <cstdio>

namespace quillet::test {

namespace {

constexpr uint32_t rotl(uint32_t v, int n) {
    return (v << n) | (v >> (32 - n));
}

void compress(std::array<uint32_t, 5>& h, const uint8_t* block) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 |
               uint32_t{block[4 * i + 2]} << 8 | block[4 * i + 3];
    for (int i = 16; i < 80; ++i)
        w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20)
            f = (b & c) | (~b & d), k = 0x5A827999;
        else if (i < 40)
            f = b ^ c ^ d, k = 0x6ED9EBA1;
        else if (i < 60)
            f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
        else
            f = b ^ c ^ d, k = 0xCA62C1D6;
        const uint32_t t = rotl(a, 5) + f + e + k + w[i];
        e = d, d = c, c = rotl(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
}

} // namespace

std::string sha1_hex(std::span<const uint8_t> bytes) {
    std::array<uint32_t, 5> h{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    size_t whole = bytes.size() / 64 * 64;
    for (size_t i = 0; i < whole; i += 64)
        compress(h, bytes.data() + i);
    // The tail, a 1 bit, zeros and the length in bits fill one or two last blocks.
    uint8_t tail[128] = {};
    const size_t rest = bytes.size() - whole;
    for (size_t i = 0; i < rest; ++i)
        tail[i] = bytes[whole + i];
    tail[rest] = 0x80;
    const size_t tail_size = rest < 56 ? 64 : 128;
    const uint64_t bits = uint64_t{bytes.size()} * 8;
    for (int i = 0; i < 8; ++i)
        tail[tail_size - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
    for (size_t i = 0; i < tail_size; i += 64)
        compress(h, tail + i);
    std::string hex;
    char digits[9];
    for (uint32_t v : h) {
        std::snprintf(digits, sizeof digits, "%08x", v);
        hex += digits;
    }
    return hex;
}

} // namespace quillet::test
