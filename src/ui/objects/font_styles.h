// Font style words as programs write them ("bold italic") and the style bits they stand for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

inline constexpr int32_t unknown_font_style = -11227;     // Unknown or invalid font style.
inline constexpr int32_t font_size_not_positive = -11228; // Font size must be greater than zero.

// The bits of the words "italic" 0x2, "bold" 0x1, "underline" 0x4, "strikeout" 0x80 found in the
// text without regard to case ("plain" alone: 0); error -11227 when none of the five occurs.
uint32_t font_style_bits(std::string_view text);

// "italic bold underline strikeout" for the bits set, in that order, or "plain".
std::string font_style_words(uint32_t bits);

} // namespace quillet
