// Source text (UTF-8) as the engine's strings hold it (Windows-1252): shared by the assembler and
// the compiler, which both read UTF-8 files and write Windows-1252 string literals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillet::bcode {

// The Windows-1252 byte of a code point, or -1 when it has none (the five bytes that
// Windows-1252 leaves undefined stand for no character).
constexpr int windows_1252_of(uint32_t code_point) {
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return int(code_point);
    // The printable characters of 0x80..0x9F.
    constexpr uint16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (high[i] != 0 && high[i] == code_point) return 0x80 + i;
    return -1;
}

// One UTF-8 character: its code point and its length in bytes; length 0 when the text does not
// begin with a well-formed character (a stray continuation byte, a sequence cut short, an
// over-long form, a surrogate or a code point past U+10FFFF).
struct Utf8Char {
    uint32_t code_point = 0;
    size_t length = 0;
};

constexpr Utf8Char decode_utf8(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return {lead, 1};
    const size_t length = lead >= 0xC2 && lead < 0xE0   ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || text.size() < length) return {};
    uint32_t cp = lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if ((c & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (c & 0x3Fu);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return {};
    return {cp, length};
}

} // namespace quillet::bcode
