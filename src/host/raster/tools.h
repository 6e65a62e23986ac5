// The drawing tools a device context carries: pen, brush and background mode.
#pragma once

#include "host/raster/color.h"
#include "host/raster/surface.h"

#include <memory>

namespace quillet {

enum class PenStyle : uint8_t { solid, dash, dot, none };

// Widths below 1 draw as 1. Dashes and dots apply to one-pixel pens; wider pens are solid,
// centred on the figure's path, with round ends and joins.
struct Pen {
    PenStyle style = PenStyle::solid;
    int width = 1;
    Color color = 0;
};

enum class BrushStyle : uint8_t { solid, hollow, hatched, pattern };

enum class Hatch : uint8_t {
    horizontal,
    vertical,
    forward_diagonal,  // top left to bottom right
    backward_diagonal, // bottom left to top right
    cross,
    diagonal_cross,
};

// Hatches and patterns repeat from the device context's brush origin. Hatch lines have the brush
// colour; the gaps between them have the background colour when the background mode is opaque and
// are left alone when it is transparent.
struct Brush {
    BrushStyle style = BrushStyle::solid;
    Color color = 0xFFFFFF;
    Hatch hatch = Hatch::horizontal;
    std::shared_ptr<const Surface> pattern; // for BrushStyle::pattern; empty patterns paint nothing

    static Brush solid(Color c) { return {BrushStyle::solid, c, Hatch::horizontal, nullptr}; }
    static Brush hollow() { return {BrushStyle::hollow, 0, Hatch::horizontal, nullptr}; }
    static Brush hatched(Hatch h, Color c) { return {BrushStyle::hatched, c, h, nullptr}; }
    static Brush with_pattern(std::shared_ptr<const Surface> p) {
        return {BrushStyle::pattern, 0, Hatch::horizontal, std::move(p)};
    }
};

enum class BackgroundMode : uint8_t { transparent, opaque };

enum class TextAlign : uint8_t { top, baseline };

} // namespace quillet
