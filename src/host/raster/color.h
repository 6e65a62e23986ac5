// Colours of the raster: 0x00RRGGBB, red in bits 16-23, green 8-15, blue 0-7. The top byte is
// not part of the colour; everything that stores or compares a colour masks it off.
#pragma once

#include <cstdint>

namespace quillet {

using Color = uint32_t;

inline constexpr Color color_mask = 0x00FFFFFF;

constexpr Color make_color(uint8_t red, uint8_t green, uint8_t blue) {
    return (Color{red} << 16) | (Color{green} << 8) | blue;
}
constexpr uint8_t red_of(Color c) {
    return static_cast<uint8_t>(c >> 16);
}
constexpr uint8_t green_of(Color c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t blue_of(Color c) {
    return static_cast<uint8_t>(c);
}

} // namespace quillet
