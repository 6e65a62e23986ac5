// Font attributes and style words.
#include "ui/font_attributes.h"

#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quillet {

namespace {

struct StyleWord {
    std::string_view word;
    uint32_t bit;
};

// In the order the words are written.
constexpr std::array<StyleWord, 4> style_words = {{
    {"italic", xvt_font_style::italic},
    {"bold", xvt_font_style::bold},
    {"underline", xvt_font_style::underline},
    {"strikeout", xvt_font_style::strike_out},
}};

constexpr size_t longest_family = 128;

} // namespace

std::string font_style_words(uint32_t style) {
    std::string words;
    for (const StyleWord& w : style_words)
        if (style & w.bit) words.append(words.empty() ? "" : " ").append(w.word);
    return words.empty() ? "plain" : words;
}

uint32_t font_style_of_words(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    uint32_t style = 0;
    bool named = lowered.find("plain") != std::string::npos;
    for (const StyleWord& w : style_words)
        if (lowered.find(w.word) != std::string::npos) {
            style |= w.bit;
            named = true;
        }
    if (!named) raise_error(err::unknown_font_style);
    return style;
}

bool set_font_attribute(TextMetrics& metrics, int32_t attribute, std::string_view text,
                        int32_t number) {
    switch (attribute) {
    case font_attribute::name: {
        const std::string family(text.substr(0, longest_family));
        if (family == metrics.family) return false;
        metrics.family = family;
        return true;
    }
    case font_attribute::size:
        if (number < 1) raise_error(err::font_size_not_positive);
        if (number == metrics.font_size) return false;
        metrics.font_size = number;
        return true;
    case font_attribute::style: {
        const uint32_t style = font_style_of_words(text);
        if (style == metrics.font_style) return false;
        metrics.font_style = style;
        return true;
    }
    default: raise_error(err::wrong_attribute);
    }
}

} // namespace quillet
