// Ellipses, arcs and pies. Arcs and pies take the part of the ellipse counter-clockwise (as seen
// on the screen) from the radial through the start point to the radial through the stop point.
#include "host/raster/rounded_shapes.h"

#include <numbers>

namespace quillet {
namespace paint {

int64_t outline_index(const RoundedShape& s, int x, int y);
void draw_rounded(Surface& surface, const DrawState& state, const IntRect& clip, const IntRect& box,
                  double rx, double ry);

namespace {

constexpr double two_pi = 2 * std::numbers::pi;

// The angular sector of an ellipse's box, angles counter-clockwise from the positive x axis.
struct Sector {
    double cx, cy, start, sweep;

    Sector(const IntRect& box, IntPoint from, IntPoint to) {
        cx = (double(box.left) + box.right) / 2;
        cy = (double(box.top) + box.bottom) / 2;
        // The radials run from the box's centre through the points as given, so points on one
        // line through the centre name the same radial; pixels are judged by their centres.
        start = angle_of(from.x, from.y);
        sweep = std::fmod(angle_of(to.x, to.y) - start + 2 * two_pi, two_pi);
        if (sweep == 0) sweep = two_pi;
    }
    double angle_of(double x, double y) const {
        if (x == cx && y == cy) return 0;
        return std::atan2(cy - y, x - cx);
    }
    bool contains(int x, int y) const {
        const double d = std::fmod(angle_of(x + 0.5, y + 0.5) - start + 2 * two_pi, two_pi);
        return d <= sweep + 1e-9;
    }
    // The pixel where the radial at the angle meets the ellipse through the outline's middle.
    IntPoint radial_end(const IntRect& box, double angle) const {
        const double a = std::max(0.0, (double(box.right) - box.left - 1) / 2);
        const double b = std::max(0.0, (double(box.bottom) - box.top - 1) / 2);
        const double c = std::cos(angle), s = std::sin(angle);
        const double q = (a > 0 ? (c / a) * (c / a) : 0) + (b > 0 ? (s / b) * (s / b) : 0);
        const double t = q > 0 ? 1 / std::sqrt(q) : 0;
        return {static_cast<int>(std::floor(cx + t * c)), static_cast<int>(std::floor(cy - t * s))};
    }
    IntPoint centre_pixel() const {
        return {static_cast<int>(std::floor(cx)), static_cast<int>(std::floor(cy))};
    }
};

void draw_sector(Surface& surface, const DrawState& state, const IntRect& clip, IntRect r,
                 IntPoint start, IntPoint stop, bool pie) {
    const IntRect box = r.normalized();
    const Sector sector(box, start, stop);
    const ShapeOutline shape = outline_of(box, box.width() / 2.0, box.height() / 2.0, state.pen);
    Coverage cov(shape_bounds(shape.outer, clip));
    const PenStyle style = state.pen.style;
    const bool thin = pen_is_thin(state.pen);
    const bool styled = thin && (style == PenStyle::dash || style == PenStyle::dot);
    mark_shape(
        cov, shape,
        [&](int x, int y) {
            if (!sector.contains(x, y)) return Coverage::none;
            if (!styled) return Coverage::pen;
            return pen_draws(style, outline_index(shape.outer, x, y)) ? Coverage::pen
                                                                      : Coverage::pen_gap;
        },
        [&](int x, int y) {
            return pie && sector.contains(x, y) ? Coverage::brush : Coverage::none;
        });
    if (pie && style != PenStyle::none && sector.sweep < two_pi) {
        const IntPoint centre = sector.centre_pixel();
        for (double angle : {sector.start, sector.start + sector.sweep}) {
            const IntPoint end = sector.radial_end(box, angle);
            if (thin) {
                int64_t index = 0;
                mark_thin_line(cov, centre, end, style, index);
                cov.mark(end.x, end.y, Coverage::pen);
            } else {
                mark_wide_line(cov, centre, end, pen_width(state.pen));
            }
        }
    }
    cov.paint(surface, state);
}

} // namespace
} // namespace paint

void DeviceContext::draw_ellipse(IntRect r) {
    r = r.normalized();
    paint::draw_rounded(m_surface, m_state, clip_rect(), r, r.width() / 2.0, r.height() / 2.0);
}

void DeviceContext::draw_arc(IntRect r, IntPoint start, IntPoint stop) {
    DrawState arc_state = m_state;
    arc_state.brush = Brush::hollow();
    paint::draw_sector(m_surface, arc_state, clip_rect(), r, start, stop, false);
}

void DeviceContext::draw_pie(IntRect r, IntPoint start, IntPoint stop) {
    paint::draw_sector(m_surface, m_state, clip_rect(), r, start, stop, true);
}

} // namespace quillet
