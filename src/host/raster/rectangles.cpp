// Rectangles, round rectangles and brush fills of rectangles.
#include "host/raster/pixel_rows.h"
#include "host/raster/rounded_shapes.h"

#include <algorithm>
#include <numbers>

namespace quillet {
namespace paint {

namespace {

// A rectangle's outline is one closed path from its top-right pixel, counter-clockwise on the
// screen: the top edge right to left, the left edge down, the bottom edge left to right and the
// right edge up, the dashes running on round the corners. In a rectangle one pixel high or wide
// the later edge passes over the earlier one, so its index wins.
int64_t rectangle_outline_index(const RoundedShape& s, int x, int y) {
    const int64_t right = static_cast<int64_t>(s.right - s.left) - 1;
    const int64_t bottom = static_cast<int64_t>(s.bottom - s.top) - 1;
    const int64_t px = x - static_cast<int64_t>(s.left), py = y - static_cast<int64_t>(s.top);
    if (px == right && py == 0) return 0;
    if (px == right) return 2 * right + bottom + (bottom - py);
    if (py == bottom) return right + bottom + px;
    if (px == 0) return right + py;
    return right - px;
}

} // namespace

// The dash index of an outline pixel: its distance along the outline, as above for rectangles and
// by angle for rounded figures.
int64_t outline_index(const RoundedShape& s, int x, int y) {
    if (s.rx <= 0 || s.ry <= 0) return rectangle_outline_index(s, x, y);
    const double cx = (s.left + s.right) / 2, cy = (s.top + s.bottom) / 2;
    const double w = s.right - s.left, h = s.bottom - s.top;
    const double a = w / 2, b = h / 2;
    const double perimeter =
        std::numbers::pi * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)));
    const double angle = std::atan2(y + 0.5 - cy, x + 0.5 - cx) + std::numbers::pi;
    return static_cast<int64_t>(angle / (2 * std::numbers::pi) * perimeter);
}

void draw_rounded(Surface& surface, const DrawState& state, const IntRect& clip, const IntRect& box,
                  double rx, double ry) {
    const ShapeOutline shape = outline_of(box, rx, ry, state.pen);
    Coverage cov(shape_bounds(shape.outer, clip));
    const PenStyle style = state.pen.style;
    const bool styled =
        pen_is_thin(state.pen) && (style == PenStyle::dash || style == PenStyle::dot);
    mark_shape(
        cov, shape,
        [&](int x, int y) {
            if (!styled) return Coverage::pen;
            return pen_draws(style, outline_index(shape.outer, x, y)) ? Coverage::pen
                                                                      : Coverage::pen_gap;
        },
        [](int, int) { return Coverage::brush; });
    cov.paint(surface, state);
}

namespace {

// Paints count pixels from dest with one colour through the mix.
void mix_row(Color* dest, Color color, size_t count, Rop2 op) {
    if (op == Rop2::copy_pen) {
        fill_row(dest, color, count);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        mix(dest[i], color, op);
}

// A plain rectangle with a solid one-pixel pen or none and a solid brush: its outline and inside
// painted row by row, each pixel once, the same pixels as its coverage would give. False for any
// other pen or brush.
bool draw_plain_rect(Surface& surface, const DrawState& state, const IntRect& box) {
    const bool pen = state.pen.style != PenStyle::none;
    if ((pen && (state.pen.style != PenStyle::solid || !pen_is_thin(state.pen))) ||
        state.brush.style != BrushStyle::solid)
        return false;
    const Color ink = state.pen.color & color_mask;
    const Color fill = state.brush.color & color_mask;
    const Region visible = visible_clip(state, surface);
    for (const IntRect& clip : visible.rects()) {
        const IntRect area = box.intersected(clip);
        for (int y = area.top; y < area.bottom; ++y) {
            Color* row = surface.scanline(y);
            if (pen && (y == box.top || y == box.bottom - 1)) {
                mix_row(row + area.left, ink, static_cast<size_t>(area.width()), state.rop2);
                continue;
            }
            // The inside, between the pen's columns when there is a pen.
            const int inside_left = std::max(area.left, pen ? box.left + 1 : box.left);
            const int inside_right = std::min(area.right, pen ? box.right - 1 : box.right);
            if (pen && area.left == box.left) mix(row[box.left], ink, state.rop2);
            if (inside_right > inside_left)
                mix_row(row + inside_left, fill, static_cast<size_t>(inside_right - inside_left),
                        state.rop2);
            if (pen && area.right == box.right && box.right - 1 > box.left)
                mix(row[box.right - 1], ink, state.rop2);
        }
    }
    return true;
}

} // namespace
} // namespace paint

void DeviceContext::draw_rect(IntRect r) {
    r = r.normalized();
    if (m_state.pen.style == PenStyle::none) {
        // Without a pen the host fills one pixel less in width and in height: the right column
        // and bottom row that the outline would have covered.
        if (r.width() <= 1 || r.height() <= 1) return;
        --r.right;
        --r.bottom;
    } else if (r.width() == 1 && r.height() == 1 && paint::pen_is_thin(m_state.pen)) {
        return; // the host draws nothing for a 1 x 1 rectangle outlined with a one-pixel pen
    }
    // A solid one-pixel pen (or none) and a solid brush paint the rectangle row by row; every
    // other pen and brush goes through the coverage of the figure.
    if (paint::draw_plain_rect(m_surface, m_state, r)) return;
    paint::draw_rounded(m_surface, m_state, clip_rect(), r, 0, 0);
}

void DeviceContext::draw_round_rect(IntRect r, IntSize corner) {
    r = r.normalized();
    const double rx = std::min<double>(std::abs(double(corner.width)), double(r.width())) / 2;
    const double ry = std::min<double>(std::abs(double(corner.height)), double(r.height())) / 2;
    paint::draw_rounded(m_surface, m_state, clip_rect(), r, rx, ry);
}

void DeviceContext::fill_rect(IntRect r, const Brush& brush) {
    const paint::BrushSampler sampler(brush, m_state.background, m_state.background_mode,
                                      m_state.brush_origin);
    if (!sampler.paints()) return;
    const Region visible = clip_region();
    for (const IntRect& clip : visible.rects()) {
        const IntRect area = r.intersected(clip);
        if (area.is_empty()) continue;
        if (sampler.is_solid()) {
            if (area == m_surface.rect()) {
                m_surface.fill(sampler.solid_color()); // a surface not yet drawn in stays unmade
                continue;
            }
            const size_t count = static_cast<size_t>(area.width());
            for (int y = area.top; y < area.bottom; ++y)
                paint::fill_row(m_surface.scanline(y) + area.left, sampler.solid_color(), count);
            continue;
        }
        for (int y = area.top; y < area.bottom; ++y) {
            Color* row = m_surface.scanline(y);
            for (int x = area.left; x < area.right; ++x) {
                Color c;
                if (sampler.sample(x, y, c)) row[x] = c;
            }
        }
    }
}

} // namespace quillet
