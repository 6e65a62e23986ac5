// The coverage of a figure and its painting: every figure with a fill or a wide pen is first
// marked pixel by pixel, then painted once, so that mixes such as XOR never hit a pixel twice.
#include "host/raster/paint_internals.h"

#include <algorithm>

namespace quillet::paint {

IntRect clip_bounds(int64_t left, int64_t top, int64_t right, int64_t bottom, const IntRect& clip) {
    // Decided in 64 bits: only a non-empty result, which lies inside clip, is narrowed to int.
    left = std::max<int64_t>(left, clip.left);
    top = std::max<int64_t>(top, clip.top);
    right = std::min<int64_t>(right, clip.right);
    bottom = std::min<int64_t>(bottom, clip.bottom);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
            static_cast<int>(bottom)};
}

Coverage::Coverage(IntRect bounds)
    : m_bounds(bounds.is_empty() ? IntRect{} : bounds),
      m_stride(static_cast<size_t>(m_bounds.width())),
      m_cells(m_stride * static_cast<size_t>(m_bounds.height()), none) {}

void Coverage::mark_span(int y, int64_t first, int64_t last, Kind k) {
    if (y < m_bounds.top || y >= m_bounds.bottom) return;
    first = std::max<int64_t>(first, m_bounds.left);
    last = std::min<int64_t>(last, int64_t{m_bounds.right} - 1);
    for (int64_t x = first; x <= last; ++x)
        mark(static_cast<int>(x), y, k);
}

void Coverage::paint(Surface& surface, const DrawState& state) const {
    const BrushSampler sampler(state.brush, state.background, state.background_mode,
                               state.brush_origin);
    const Color ink = state.pen.color & color_mask;
    const Color background = state.background & color_mask;
    const bool opaque = state.background_mode == BackgroundMode::opaque;
    const Region visible = visible_clip(state, surface);
    for (const IntRect& clip : visible.rects()) {
        const IntRect area = m_bounds.intersected(clip);
        for (int y = area.top; y < area.bottom; ++y) {
            Color* row = surface.scanline(y);
            for (int x = area.left; x < area.right; ++x) {
                Color c;
                switch (at(x, y)) {
                case pen: mix(row[x], ink, state.rop2); break;
                case pen_gap:
                    if (opaque) mix(row[x], background, state.rop2);
                    break;
                case brush:
                    if (sampler.sample(x, y, c)) mix(row[x], c, state.rop2);
                    break;
                case none: break;
                }
            }
        }
    }
}

} // namespace quillet::paint
