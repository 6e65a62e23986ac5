// What a brush paints at a pixel: solid colour, hatch lines over an opaque or transparent
// background, or a pattern surface repeated from the brush origin.
#include "host/raster/paint_internals.h"

namespace quillet::paint {

bool hatch_covers(Hatch h, int x, int y) {
    // Within the 8 x 8 cell the host's horizontal line is row 3 and its vertical line column 4.
    const bool horizontal = (y & 7) == 3, vertical = (x & 7) == 4;
    const bool forward = ((x - y) & 7) == 0, backward = ((x + y) & 7) == 7;
    switch (h) {
    case Hatch::horizontal: return horizontal;
    case Hatch::vertical: return vertical;
    case Hatch::forward_diagonal: return forward;
    case Hatch::backward_diagonal: return backward;
    case Hatch::cross: return horizontal || vertical;
    case Hatch::diagonal_cross: return forward || backward;
    }
    return false;
}

namespace {

// The position of a pixel within a period that starts at origin; any 32-bit values.
int phase(int at, int origin, int period) {
    const int64_t p = (int64_t{at} - origin) % period;
    return static_cast<int>(p < 0 ? p + period : p);
}

} // namespace

BrushSampler::BrushSampler(const Brush& brush, Color background, BackgroundMode mode,
                           IntPoint origin)
    : m_brush(brush), m_background(background & color_mask), m_origin(origin),
      m_opaque(mode == BackgroundMode::opaque) {
    switch (brush.style) {
    case BrushStyle::solid:
    case BrushStyle::hatched: m_paints = true; break;
    case BrushStyle::pattern:
        m_paints = brush.pattern && brush.pattern->width() > 0 && brush.pattern->height() > 0;
        break;
    default: m_paints = false;
    }
}

bool BrushSampler::sample(int x, int y, Color& out) const {
    switch (m_brush.style) {
    case BrushStyle::solid: out = m_brush.color & color_mask; return true;
    case BrushStyle::hatched:
        if (hatch_covers(m_brush.hatch, phase(x, m_origin.x, 8), phase(y, m_origin.y, 8))) {
            out = m_brush.color & color_mask;
            return true;
        }
        out = m_background;
        return m_opaque;
    case BrushStyle::pattern:
        if (!m_paints) return false;
        out = m_brush.pattern->pixel(phase(x, m_origin.x, m_brush.pattern->width()),
                                     phase(y, m_origin.y, m_brush.pattern->height()));
        return true;
    default: return false;
    }
}

} // namespace quillet::paint
