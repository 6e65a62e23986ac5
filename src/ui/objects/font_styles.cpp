#include "ui/objects/font_styles.h"

#include "values/errors.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quillet {
namespace {

struct StyleWord {
    std::string_view word;
    uint32_t bit;
};
constexpr std::array<StyleWord, 4> style_words = {
    {{"italic", 0x2}, {"bold", 0x1}, {"underline", 0x4}, {"strikeout", 0x80}}};

} // namespace

uint32_t font_style_bits(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    uint32_t bits = 0;
    bool found = lower.find("plain") != std::string::npos;
    for (const StyleWord& s : style_words)
        if (lower.find(s.word) != std::string::npos) {
            bits |= s.bit;
            found = true;
        }
    if (!found) raise_error(unknown_font_style);
    return bits;
}

std::string font_style_words(uint32_t bits) {
    std::string words;
    for (const StyleWord& s : style_words)
        if (bits & s.bit) {
            if (!words.empty()) words += ' ';
            words += s.word;
        }
    return words.empty() ? "plain" : words;
}

} // namespace quillet
