// The colour numbers of a program: the colour table (0..max colour number), the named colour
// table (-1..-15) and the colour mode. A colour number is looked up to its 0x00RRGGBB value
// before it reaches the windowing layer.
#pragma once

#include "host/raster/color.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quillet {

inline constexpr int standard_colour_count = 16;
inline constexpr int named_colour_count = 16;

// Colour numbers 0..15 after colour mode 1.
inline constexpr std::array<Color, standard_colour_count> standard_colours = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAAAA00, 0xAAAAAA,
    0x555555, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

// The named colour table at start: black 1, white 2, red 3, green 4, blue 5, cyan 6, magenta 7,
// yellow 8, brown 9.
inline constexpr std::array<Color, named_colour_count> initial_named_colours = {
    0xFFFFFF, 0x000000, 0xFFFFFF, 0xAA0000, 0x00AA00, 0x0000AA, 0x00AAAA, 0xAA00AA,
    0xFFFF00, 0xAAAA00, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000};

struct ColourState {
    // The sixteen standard colours as the screen shows them (snapped at start-up); colour mode 1
    // copies them into colour numbers 0..15.
    std::array<Color, standard_colour_count> standard = standard_colours;
    int32_t max_colour = standard_colour_count - 1;
    // max_colour + 1 entries (at least 16); an entry snapped to a device colour carries
    // (number + 16) mod 256 in its top byte.
    std::vector<Color> table{standard_colours.begin(), standard_colours.end()};
    std::array<Color, named_colour_count> named = initial_named_colours;
    int32_t mode = 1;
};

extern ColourState& colours; // part of the ui layer's state (ui_state.h)

// The colours as start-up has not yet set them: this part alone, as reset_ui_state does with the
// whole state.
void reset_colours();

// Replaces the colour table: max_colour + 1 entries (at least 16), all black.
void resize_colour_table(int32_t max_colour);

// Whether the number names an entry: an index of the colour table (0..max colour number, and
// always 0..15), or -1..-15 for the named colours.
bool is_colour_number(int32_t number);

// The stored entry of a colour number, top byte included; 0 (black) for a number outside both
// tables.
Color colour_entry(int32_t number);

// The 0x00RRGGBB value of a colour number (the top byte masked off); black for a number outside
// both tables.
Color colour_value(int32_t number);

// Stores an entry (top byte kept as given); false, and nothing stored, for a number outside
// both tables.
bool set_colour_entry(int32_t number, Color entry);

// The top byte that marks an entry of that number as snapped to a device colour.
constexpr Color snapped_colour(int32_t number, Color rgb) {
    return (static_cast<Color>((number + 16) & 0xFF) << 24) | (rgb & color_mask);
}

} // namespace quillet
