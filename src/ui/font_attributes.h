// The font attributes shared by windows and text edits ("font name", "font size", "font style")
// and the words of the font style bits.
#pragma once

#include "ui/window_table.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

namespace err {
inline constexpr int32_t wrong_attribute = -11223;        // an attribute of another class
inline constexpr int32_t unknown_font_style = -11227;     // "Unknown or invalid font style."
inline constexpr int32_t font_size_not_positive = -11228; // "Font size must be greater than zero."
} // namespace err

namespace font_attribute {
inline constexpr int32_t name = 46;
inline constexpr int32_t size = 47;
inline constexpr int32_t style = 48;
} // namespace font_attribute

// The style as words: "italic", "bold", "underline", "strikeout" for the bits set, in this order,
// separated by one blank; "plain" for none.
std::string font_style_words(uint32_t style);

// The style bits a text names: lowered, it is searched for "italic", "bold", "underline",
// "strikeout" and "plain" (which adds nothing); a text with none of them raises -11227.
uint32_t font_style_of_words(std::string_view text);

// Sets attribute 46 (the family, text, at most 128 bytes), 47 (the size in points, number, at
// least 1, else -11228) or 48 (the style, text) of the metrics; any other attribute raises
// -11223. True when the value changed, so that the caller re-applies the font.
bool set_font_attribute(TextMetrics& metrics, int32_t attribute, std::string_view text,
                        int32_t number);

} // namespace quillet
