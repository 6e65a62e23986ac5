#include "ui/drawing.h"

#include "host/raster/device_context.h"
#include "values/debug_log.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace quillet {
namespace {

// Borrows a window's tools for one operation: `change` adjusts a copy, which is selected for the
// life of the object; the tools as they were are selected again at its end.
class BorrowedTools {
public:
    template <typename Change>
    BorrowedTools(XvtWindow window, Change change) : m_window(window) {
        xp_dwin_get_draw_ctools(window, m_saved);
        DrawTools tools = m_saved;
        change(tools);
        xp_dwin_set_draw_ctools(window, tools);
    }
    ~BorrowedTools() { xp_dwin_set_draw_ctools(m_window, m_saved); }
    BorrowedTools(const BorrowedTools&) = delete;
    BorrowedTools& operator=(const BorrowedTools&) = delete;

private:
    XvtWindow m_window;
    DrawTools m_saved;
};

// Keeps a window's clip box for one scope.
class SavedClip {
public:
    explicit SavedClip(XvtWindow window) : m_window(window) { xp_dwin_get_clip(window, m_clip); }
    ~SavedClip() { xp_dwin_set_clip(m_window, &m_clip); }
    SavedClip(const SavedClip&) = delete;
    SavedClip& operator=(const SavedClip&) = delete;

private:
    XvtWindow m_window;
    IntRect m_clip;
};

int saturate32(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
}

} // namespace

int16_t narrow16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

IntPoint narrow_point(int64_t x, int64_t y) {
    return {narrow16(x), narrow16(y)};
}

IntRect narrow_rect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return {narrow16(left), narrow16(top), narrow16(right), narrow16(bottom)};
}

IntPoint extended_line_end(IntPoint from, IntPoint to) {
    const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const int64_t sx = from.x <= to.x ? 1 : -1, sy = to.y >= from.y ? 1 : -1;
    int64_t x = to.x, y = to.y;
    if (dx == 0) {
        if (dy == 0)
            x += 1; // a single pixel
        else
            y += sy;
    } else {
        const float s = static_cast<float>(double(dy) / double(dx));
        if (s >= -0.5f && s < 0.5f) {
            x += sx;
        } else if ((s >= 0.5f && s < 2.0f) || (s > -2.0f && s < -0.5f)) {
            x += sx;
            y += sy;
        } else {
            y += sy; // steep: s >= 2 or s <= -2
        }
    }
    return {saturate32(x), saturate32(y)};
}

void draw_line(const DrawingTarget& target, IntPoint from, IntPoint to, int pen_width) {
    const IntPoint end = pen_width < 2 ? extended_line_end(from, to) : to;
    const IntPoint a = narrow_point(from.x, from.y), b = narrow_point(end.x, end.y);
    target.each([&](XvtWindow w) {
        xp_dwin_draw_set_pos(w, a);
        xp_dwin_draw_line(w, b);
    });
}

bool covers_whole_window(int64_t left, int64_t top, int64_t right, int64_t bottom, IntSize area) {
    return left <= 0 && top <= 0 && right >= area.width - 1 && bottom >= area.height - 1;
}

void fill_box(const DrawingTarget& target, const IntRect& r, std::optional<Color> colour) {
    target.each([&](XvtWindow w) {
        BorrowedTools borrowed(w, [&](DrawTools& t) {
            if (colour) t.pen_color = t.brush_color = t.text_color = *colour;
            t.brush_pattern = xvt_brush_pattern::solid;
        });
        xp_dwin_draw_rect(w, r);
    });
}

void flood_fill(const DrawingTarget& target, IntPoint seed, const IntRect& clip, Color colour) {
    std::optional<SavedClip> window_clip, pixmap_clip;
    if (target.window != no_xvt_window) window_clip.emplace(target.window);
    if (target.pixmap != no_xvt_window) pixmap_clip.emplace(target.pixmap);
    target.each([&](XvtWindow w) { xp_dwin_set_clip(w, &clip); });

    xvt_dwin_with_device(target.source(), [&](DeviceContext& dc) {
        DeviceContextStateSaver saved(dc);
        dc.state().brush = Brush::solid(colour & color_mask);
        // The seed must be a pixel of the device inside the clip, as the host's pixel read has it.
        if (!dc.get_pixel(seed) || !dc.clip_region().contains(seed)) {
            debug_log("color from GetPixel invalid");
            return;
        }
        dc.flood_fill(seed);
    });
    if (target.pixmap != no_xvt_window && target.window != no_xvt_window)
        xp_dwin_invalidate_rect(target.window, &clip);
}

bool draw_ellipse(const DrawingTarget& target, IntRect box, const IntRect& clip) {
    if (box.left == box.right || box.top == box.bottom) return false;
    box = box.normalized();
    target.each([&](XvtWindow w) {
        SavedClip saved(w);
        xp_dwin_set_clip(w, &clip);
        xp_dwin_draw_oval(w, box);
    });
    return true;
}

void draw_points(const DrawingTarget& target, int32_t kind, std::span<const IntPoint> points) {
    if (points.empty()) return;
    target.each([&](XvtWindow w) {
        switch (kind) {
        case 0:
            for (IntPoint p : points) {
                xp_dwin_draw_set_pos(w, p);
                xp_dwin_draw_line(w, {p.x + 1, p.y});
            }
            break;
        case 1: xp_dwin_draw_polyline(w, points); break;
        case 2: xp_dwin_draw_polygon(w, points); break;
        default: break;
        }
    });
}

void draw_graphics_text(const DrawingTarget& target, IntPoint p, int32_t justify,
                        std::string_view text, const CellMetrics& m, bool opaque) {
    const int32_t length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    const XvtWindow measured = target.window != no_xvt_window ? target.window : target.pixmap;
    const int64_t width = xp_dwin_get_text_width(measured, text, length);
    // C's remainder and quotient: a negative justify keeps its sign in both.
    const int64_t x = p.x - (width * (justify % 4)) / 2;
    int64_t baseline = p.y;
    switch (justify / 4) {
    case 0: baseline = int64_t{p.y} - m.descent; break;
    case 1: break;
    case 2: baseline = int64_t{p.y} - m.descent + m.line_height / 2; break;
    case 3:
    case 4: baseline = int64_t{p.y} + m.ascent; break;
    default: break;
    }
    const IntPoint at = narrow_point(x, baseline);
    target.each([&](XvtWindow w) {
        BorrowedTools borrowed(w, [&](DrawTools& t) { t.opaque_text = opaque ? 1 : 0; });
        xp_dwin_draw_text(w, at.x, at.y, text, length);
    });
}

IntRect text_cell_rect(const CellMetrics& m, int32_t row1, int32_t col1, int32_t row2,
                       int32_t col2) {
    return narrow_rect((int64_t{col1} - 1) * m.char_width,
                       int64_t{row1} * m.line_height - m.ascent - m.leading,
                       int64_t{col2} * m.char_width, int64_t{row2} * m.line_height + m.descent);
}

void clear_region(const DrawingTarget& target, const IntRect& r, Color background) {
    target.each([&](XvtWindow w) {
        BorrowedTools borrowed(w, [&](DrawTools& t) {
            t.pen_color = t.brush_color = t.text_color = background;
            t.brush_pattern = xvt_brush_pattern::solid;
        });
        xp_dwin_draw_rect(w, r);
    });
}

void scroll_region(const DrawingTarget& target, const IntRect& r, int32_t lines, int line_height) {
    const int dy = narrow16(-int64_t{lines} * line_height);
    if (target.window != no_xvt_window) xp_dwin_scroll_rect(target.window, r, 0, dy);
    // The layer scrolls only windows; a pixmap's picture is moved on its device directly.
    if (target.pixmap != no_xvt_window)
        xvt_dwin_with_device(target.pixmap, [&](DeviceContext& dc) { dc.scroll_rect(r, 0, dy); });
}

void set_clip_box(const DrawingTarget& target, const IntRect& clip) {
    target.each([&](XvtWindow w) { xp_dwin_set_clip(w, &clip); });
}

std::optional<Color> read_pixel(const DrawingTarget& target, IntPoint p) {
    std::optional<Color> pixel;
    xvt_dwin_with_device(target.source(), [&](DeviceContext& dc) { pixel = dc.get_pixel(p); });
    return pixel;
}

int32_t find_colour_number(std::span<const Color> table, Color pixel, int bits_per_pixel) {
    const bool exact = bits_per_pixel < 9 || bits_per_pixel >= 24;
    const int tolerance = !exact && (bits_per_pixel == 15 || bits_per_pixel == 16) ? 4 : 0;
    for (size_t n = 0; n < table.size(); ++n) {
        const Color c = table[n];
        if (exact) {
            if ((c & color_mask) == (pixel & color_mask)) return static_cast<int32_t>(n);
            continue;
        }
        if (std::abs(red_of(c) - red_of(pixel)) <= tolerance &&
            std::abs(green_of(c) - green_of(pixel)) <= tolerance &&
            std::abs(blue_of(c) - blue_of(pixel)) <= tolerance)
            return static_cast<int32_t>(n);
    }
    return -1;
}

} // namespace quillet
