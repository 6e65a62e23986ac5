// Lines and polylines. A one-pixel pen walks the line and leaves out its last pixel, so that
// joined segments draw each vertex once; its dashes and dots count along the path. A wider pen
// covers everything within half its width of the path, with round ends and joins.
#include "host/raster/paint_internals.h"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace paint {

void mark_thin_line(Coverage& cov, IntPoint a, IntPoint b, PenStyle style, int64_t& index) {
    const int64_t start = index;
    int64_t last = -1;
    walk_line(a, b, cov.bounds(), [&](int x, int y, int64_t i) {
        cov.mark(x, y, pen_draws(style, start + i) ? Coverage::pen : Coverage::pen_gap);
        last = i;
    });
    const int64_t length = std::max(std::llabs(int64_t{b.x} - a.x), std::llabs(int64_t{b.y} - a.y));
    index = start + std::max(length, last + 1);
}

// Wide strokes are centred on pixel centres for odd widths and on pixel corners for even ones,
// so that a pen of width w covers exactly w pixels across a straight line.
void mark_wide_line(Coverage& cov, IntPoint a, IntPoint b, int width) {
    const double shift = (width & 1) ? 0.5 : 0.0;
    const double ax = a.x + shift, ay = a.y + shift, bx = b.x + shift, by = b.y + shift;
    const double radius = width / 2.0;
    const IntRect box =
        clip_bounds(static_cast<int64_t>(std::floor(std::min(ax, bx) - radius)),
                    static_cast<int64_t>(std::floor(std::min(ay, by) - radius)),
                    static_cast<int64_t>(std::ceil(std::max(ax, bx) + radius)) + 1,
                    static_cast<int64_t>(std::ceil(std::max(ay, by) + radius)) + 1, cov.bounds());
    const double vx = bx - ax, vy = by - ay, length2 = vx * vx + vy * vy;
    const double r2 = radius * radius;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const double px = x + 0.5 - ax, py = y + 0.5 - ay;
            double t = length2 > 0 ? (px * vx + py * vy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = px - t * vx, ey = py - t * vy;
            if (ex * ex + ey * ey < r2) cov.mark(x, y, Coverage::pen);
        }
    }
}

IntRect stroke_bounds(std::span<const IntPoint> points, int width, const IntRect& clip) {
    if (points.empty()) return {};
    int64_t left = points[0].x, top = points[0].y, right = left, bottom = top;
    for (IntPoint p : points) {
        left = std::min<int64_t>(left, p.x);
        top = std::min<int64_t>(top, p.y);
        right = std::max<int64_t>(right, p.x);
        bottom = std::max<int64_t>(bottom, p.y);
    }
    const int64_t grow = width / 2 + 2;
    return clip_bounds(left - grow, top - grow, right + grow + 1, bottom + grow + 1, clip);
}

} // namespace paint

namespace {

// One-pixel lines go straight to the surface: no pixel of a line is visited twice.
// Each rectangle of the clip region takes its own part; dashes count from the line's start.
void draw_thin_line(Surface& surface, const DrawState& state, const Region& clip, IntPoint a,
                    IntPoint b, int64_t& index) {
    const Color pen = state.pen.color & color_mask;
    const Color background = state.background & color_mask;
    const bool opaque = state.background_mode == BackgroundMode::opaque;
    const PenStyle style = state.pen.style;
    const Rop2 op = state.rop2;
    const int64_t start = index;
    for (const IntRect& part : clip.rects()) {
        if (style == PenStyle::solid && op == Rop2::copy_pen) {
            paint::walk_line(a, b, part,
                             [&](int x, int y, int64_t) { surface.scanline(y)[x] = pen; });
            continue;
        }
        paint::walk_line(a, b, part, [&](int x, int y, int64_t i) {
            if (paint::pen_draws(style, start + i))
                paint::mix(surface.scanline(y)[x], pen, op);
            else if (opaque)
                paint::mix(surface.scanline(y)[x], background, op);
        });
    }
    index = start + std::max(std::llabs(int64_t{b.x} - a.x), std::llabs(int64_t{b.y} - a.y));
}

} // namespace

void DeviceContext::line_to(IntPoint p) {
    const IntPoint from = m_state.position;
    m_state.position = p;
    if (m_state.pen.style == PenStyle::none) return;
    if (paint::pen_is_thin(m_state.pen)) {
        int64_t index = 0;
        draw_thin_line(m_surface, m_state, clip_region(), from, p, index);
        return;
    }
    const IntPoint ends[] = {from, p};
    const int width = paint::pen_width(m_state.pen);
    paint::Coverage cov(paint::stroke_bounds(ends, width, clip_rect()));
    paint::mark_wide_line(cov, from, p, width);
    cov.paint(m_surface, m_state);
}

void DeviceContext::draw_polyline(std::span<const IntPoint> points) {
    if (points.size() < 2 || m_state.pen.style == PenStyle::none) return;
    if (paint::pen_is_thin(m_state.pen)) {
        const Region clip = clip_region();
        int64_t index = 0;
        for (size_t i = 1; i < points.size(); ++i)
            draw_thin_line(m_surface, m_state, clip, points[i - 1], points[i], index);
        return;
    }
    const int width = paint::pen_width(m_state.pen);
    paint::Coverage cov(paint::stroke_bounds(points, width, clip_rect()));
    for (size_t i = 1; i < points.size(); ++i)
        paint::mark_wide_line(cov, points[i - 1], points[i], width);
    cov.paint(m_surface, m_state);
}

} // namespace quillet
