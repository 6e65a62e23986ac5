// Palettes as colour tables, nearest-colour lookup, and the windowing layer's palette kinds.
#pragma once

#include "host/raster/color.h"

#include <span>
#include <vector>

namespace quillet {

enum class PaletteKind {
    stock = 1,     // 256: the twenty static colours, then black
    system = 2,    // the screen's current palette
    named16 = 3,   // the sixteen named colours (white, black, greys, yellow, orange ...)
    colors256 = 4, // the fixed 256-colour table, repeated entries included
    startup = 5,   // the copy of the system palette taken at start-up
};

// Kinds outside 1..4 give the start-up copy.
std::vector<Color> make_palette(PaletteKind kind);

// Our screen is true colour with no hardware palette; it reports the host's default 256-entry
// system palette: the first ten static colours, 236 black entries, the last ten static colours.
std::span<const Color> system_palette();

// The index of the entry nearest to the colour (least squared distance of the components; the
// lowest index among equals). The palette must not be empty (std::invalid_argument otherwise).
size_t nearest_color_index(std::span<const Color> palette, Color c);

} // namespace quillet
