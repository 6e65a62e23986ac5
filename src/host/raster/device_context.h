// A device context: drawing on one surface with a current state of tools, in the host's
// conventions (rectangles exclude their right and bottom edges, lines leave out their last pixel,
// wide pens are centred on the path). Everything is clipped to the clip region and the surface;
// any coordinates, however far outside, are safe.
#pragma once

#include "host/raster/glyph_font.h"
#include "host/raster/raster_ops.h"
#include "host/raster/region.h"
#include "host/raster/tools.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quillet {

struct DrawState {
    Pen pen;
    Brush brush;
    Rop2 rop2 = Rop2::copy_pen; // for pens and brushes; text and block transfers ignore it
    Color text_color = 0;
    Color background = 0xFFFFFF;
    BackgroundMode background_mode = BackgroundMode::opaque;
    std::shared_ptr<const GlyphFont> font;
    IntPoint position;
    IntPoint brush_origin;      // hatches and patterns repeat from here (surface coordinates)
    std::optional<Region> clip; // none: the whole surface
};

class DeviceContext {
public:
    explicit DeviceContext(Surface& surface) : m_surface(surface) {}

    Surface& surface() { return m_surface; }
    const DrawState& state() const { return m_state; }
    DrawState& state() { return m_state; }
    // The clip in force: the clip region intersected with the surface, and its bounding box.
    Region clip_region() const;
    IntRect clip_rect() const { return clip_region().bounds(); }

    // save() pushes the whole state; restore() pops the latest (a logic_error when none is saved).
    void save();
    void restore();

    // Pixels: set_pixel writes the colour as it stands; get_pixel is empty outside the surface.
    void set_pixel(IntPoint p, Color c);
    std::optional<Color> get_pixel(IntPoint p) const;

    void move_to(IntPoint p) { m_state.position = p; }
    void line_to(IntPoint p); // from the pen position, without the last pixel; moves the pen
    void draw_polyline(std::span<const IntPoint> points);

    // Outlined with the pen, filled with the brush. Rectangles are normalized first; without a
    // pen a rectangle is one pixel less in width and in height, as on the host.
    void draw_rect(IntRect r);
    void draw_round_rect(IntRect r, IntSize corner);
    void draw_ellipse(IntRect r);
    // Counter-clockwise from the radial through start to the radial through stop; when both
    // radials coincide the whole ellipse is taken.
    void draw_arc(IntRect r, IntPoint start, IntPoint stop);
    void draw_pie(IntRect r, IntPoint start, IntPoint stop);
    void draw_polygon(std::span<const IntPoint> points); // alternate (even-odd) fill

    // The brush alone, copied as it is: the host's rectangle fill ignores the state's rop2.
    void fill_rect(IntRect r, const Brush& brush);
    void fill_rect(IntRect r) { fill_rect(r, m_state.brush); }
    // Fills the 4-connected region of pixels of the seed's colour with the brush.
    void flood_fill(IntPoint seed);
    // Moves the pixels of the rectangle (within the clip) by (dx, dy); returns the bounding box of
    // the part left uncovered, which keeps its old pixels for the caller to repaint.
    IntRect scroll_rect(IntRect r, int dx, int dy);

    // Block transfers with a ternary raster operation; the pattern is the state's brush.
    void bit_blt(IntRect dest, const Surface& src, IntPoint src_origin, Rop3 rop);
    // Each destination pixel takes the source pixel under its centre (the first of two when it
    // falls between them). Rectangles may be given right-to-left or bottom-to-top (x + width with
    // a negative width): where destination and source run opposite ways on an axis, the picture
    // is mirrored on it.
    void stretch_blt(IntRect dest, const Surface& src, IntRect src_rect, Rop3 rop);
    void pat_blt(IntRect dest, Rop3 rop);

    // Text in the state's font and text colour; opaque backgrounds fill the text's cell first.
    // Without a font nothing is drawn and the extent is empty.
    void draw_text(IntPoint p, std::string_view text, TextAlign align = TextAlign::baseline);
    IntSize text_extent(std::string_view text) const;

private:
    // The text within one rectangle of the clip region.
    void draw_text_part(const IntRect& clip, IntPoint p, std::string_view text, int64_t top,
                        int64_t baseline, int64_t width, Color ink);

    Surface& m_surface;
    DrawState m_state;
    std::vector<DrawState> m_saved;
};

// Saves the state of a device context for one scope.
class DeviceContextStateSaver {
public:
    explicit DeviceContextStateSaver(DeviceContext& dc) : m_dc(dc) { m_dc.save(); }
    ~DeviceContextStateSaver() { m_dc.restore(); }
    DeviceContextStateSaver(const DeviceContextStateSaver&) = delete;
    DeviceContextStateSaver& operator=(const DeviceContextStateSaver&) = delete;

private:
    DeviceContext& m_dc;
};

} // namespace quillet
