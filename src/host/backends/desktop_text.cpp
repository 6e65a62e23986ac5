// Windows-1252 and UTF-8: bytes 0x80..0x9F are the only ones whose code points differ from
// their values (the rest is Latin-1).
#include "host/backends/desktop_text.h"

#include <array>
#include <cstdint>

namespace quillet::host {

namespace {

// The code points of bytes 0x80..0x9F; an undefined byte keeps its own value.
constexpr std::array<char32_t, 32> high_controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t code_point_of(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? high_controls[byte - 0x80] : byte;
}

char byte_of(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) return static_cast<char>(code);
    for (size_t i = 0; i < high_controls.size(); ++i)
        if (high_controls[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

void append_utf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string cp1252_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        append_utf8(out, code_point_of(c));
    return out;
}

std::string utf8_to_cp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        size_t more = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : 4;
        if (more == 4) { // a stray continuation byte or an impossible lead
            out += '?';
            continue;
        }
        char32_t code = more == 0 ? lead : lead & (0x3F >> more);
        size_t taken = 0;
        while (taken < more && i < text.size() &&
               (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
            code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
            ++taken;
        }
        // Sequences cut short and overlong ones (a longer form than the value needs) are malformed.
        constexpr char32_t least[] = {0, 0x80, 0x800, 0x10000};
        out += taken == more && code >= least[more] ? byte_of(code) : '?';
    }
    return out;
}

} // namespace quillet::host
