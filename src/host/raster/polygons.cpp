// Filled polygons with the alternate (even-odd) rule. The vertices lie on pixel corners for the
// fill, so the square (0,0) (10,0) (10,10) (0,10) fills pixels 0..9; the pen then walks the
// closed outline through the vertices' pixels.
#include "host/raster/paint_internals.h"

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

void mark_even_odd_fill(paint::Coverage& cov, std::span<const IntPoint> points) {
    const IntRect& b = cov.bounds();
    std::vector<double> crossings;
    for (int y = b.top; y < b.bottom; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const IntPoint p = points[i], q = points[(i + 1) % points.size()];
            if (p.y == q.y) continue;
            const double y0 = std::min(p.y, q.y), y1 = std::max(p.y, q.y);
            if (yc < y0 || yc >= y1) continue;
            crossings.push_back(p.x + (yc - p.y) * (double(q.x) - p.x) / (double(q.y) - p.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const int64_t first = static_cast<int64_t>(std::ceil(crossings[i] - 0.5));
            const int64_t last = static_cast<int64_t>(std::ceil(crossings[i + 1] - 0.5)) - 1;
            cov.mark_span(y, first, last, paint::Coverage::brush);
        }
    }
}

} // namespace

void DeviceContext::draw_polygon(std::span<const IntPoint> points) {
    if (points.size() < 2) return;
    const int width = paint::pen_width(m_state.pen);
    const bool has_pen = m_state.pen.style != PenStyle::none;
    paint::Coverage cov(paint::stroke_bounds(points, has_pen ? width : 0, clip_rect()));
    if (points.size() >= 3) mark_even_odd_fill(cov, points);
    if (has_pen) {
        int64_t index = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const IntPoint p = points[i], q = points[(i + 1) % points.size()];
            if (width == 1)
                paint::mark_thin_line(cov, p, q, m_state.pen.style, index);
            else
                paint::mark_wide_line(cov, p, q, width);
        }
    }
    cov.paint(m_surface, m_state);
}

} // namespace quillet
