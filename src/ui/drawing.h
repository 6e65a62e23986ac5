// Drawing on a program's window: lines with their one-pixel extension, boxes, flood fills,
// ellipses, points, polylines and polygons, graphics text, text-cell regions, the clip box and
// pixel reads. Every operation draws on the window and then, with the same arguments, on its
// backing pixmap when it has one; coordinates are held to 16 bits where they reach the layer.
#pragma once

#include "xvt/xvt.h"

#include <optional>
#include <span>
#include <string_view>

namespace quillet {

// The layer windows one drawing reaches: the window (none before it is first shown) and its
// backing pixmap (or none).
struct DrawingTarget {
    XvtWindow window = no_xvt_window;
    XvtWindow pixmap = no_xvt_window;

    template <typename Draw>
    void each(Draw draw) const {
        if (window != no_xvt_window) draw(window);
        if (pixmap != no_xvt_window) draw(pixmap);
    }
    // Where pixels are read from: the pixmap when there is one, since it holds everything drawn.
    XvtWindow source() const { return pixmap != no_xvt_window ? pixmap : window; }
};

// The font measures text cells are laid out by.
struct CellMetrics {
    int char_width = 0;
    int line_height = 0;
    int ascent = 0;
    int descent = 0;
    int leading = 0;
};

// A coordinate held to the 16-bit range of the layer's points (saturated, never wrapped).
int16_t narrow16(int64_t v);
IntPoint narrow_point(int64_t x, int64_t y);
IntRect narrow_rect(int64_t left, int64_t top, int64_t right, int64_t bottom);

// The end point that makes the host's line (which leaves out its last pixel) cover (x2, y2): one
// pixel further in the line's direction, by the slope classes of the line.
IntPoint extended_line_end(IntPoint from, IntPoint to);

// A line with both end points; pens of width 2 and more are drawn as given.
void draw_line(const DrawingTarget& target, IntPoint from, IntPoint to, int pen_width);

// Whether the inclusive box covers the whole drawing area of width x height.
bool covers_whole_window(int64_t left, int64_t top, int64_t right, int64_t bottom, IntSize area);

// Fills the (exclusive) rectangle with a solid brush of the colour, outlined in it; no colour: the
// current brush colour, with pen and foreground left alone. The tools are put back afterwards.
void fill_box(const DrawingTarget& target, const IntRect& r, std::optional<Color> colour);

// Fills the connected region of the seed's colour with the colour, inside the clip box. Works on
// the pixmap when there is one (the window is then repainted from it), else on the window.
// Problems go to the debug log only.
void flood_fill(const DrawingTarget& target, IntPoint seed, const IntRect& clip, Color colour);

// The ellipse inscribed in the box (sides in either order), clipped to the clip box. False, and
// nothing drawn, when the box has no width or no height.
bool draw_ellipse(const DrawingTarget& target, IntRect box, const IntRect& clip);

// Kind 0: each point as one pixel; 1: one polyline through all; 2: a filled polygon. Other kinds
// draw nothing.
void draw_points(const DrawingTarget& target, int32_t kind, std::span<const IntPoint> points);

// Text at (x, y) justified by justify: mod 4 gives 0 left, 1 centre, 2 right of x; div 4 gives 0
// bottom, 1 baseline, 2 half, 3 and 4 top at y. Opaque: the text's cells take the background.
void draw_graphics_text(const DrawingTarget& target, IntPoint p, int32_t justify,
                        std::string_view text, const CellMetrics& metrics, bool opaque);

// The pixel rectangle of text rows row1..row2 and columns col1..col2 (counted from 1).
IntRect text_cell_rect(const CellMetrics& m, int32_t row1, int32_t col1, int32_t row2,
                       int32_t col2);
// Fills the rectangle with the background colour, tools put back afterwards.
void clear_region(const DrawingTarget& target, const IntRect& r, Color background);
// Moves the rectangle's contents up by `lines` text lines (down for a negative count).
void scroll_region(const DrawingTarget& target, const IntRect& r, int32_t lines, int line_height);

// The clip box of both: an exclusive rectangle.
void set_clip_box(const DrawingTarget& target, const IntRect& clip);

// The pixel at p of the pixmap (when there is one) or the window; none outside it.
std::optional<Color> read_pixel(const DrawingTarget& target, IntPoint p);

// The lowest colour number whose entry matches the pixel: exactly on devices of fewer than 9 or
// at least 24 bits per pixel, within 4 per component on 15- and 16-bit devices, exactly on the
// others; -1 when none does.
int32_t find_colour_number(std::span<const Color> table, Color pixel, int bits_per_pixel);

} // namespace quillet
