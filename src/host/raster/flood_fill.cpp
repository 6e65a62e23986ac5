// Flood fill: the 4-connected region of pixels that have the seed's colour, within the clip region,
// is found first and then painted with the brush, so a brush of the seed's own colour (or one with
// transparent gaps) can never make the fill run on.
#include "host/raster/paint_internals.h"

#include <algorithm>
#include <vector>

namespace quillet {

void DeviceContext::flood_fill(IntPoint seed) {
    const Region visible = clip_region();
    if (!visible.contains(seed)) return;
    const IntRect clip = visible.bounds();
    const paint::BrushSampler sampler(m_state.brush, m_state.background, m_state.background_mode,
                                      m_state.brush_origin);
    if (!sampler.paints()) return;
    const Color target = m_surface.pixel(seed.x, seed.y);

    // Each pixel of the clip's box is outside the clip region, free, or taken into the fill.
    enum : uint8_t { outside, free, taken };
    const size_t stride = static_cast<size_t>(clip.width());
    std::vector<uint8_t> cells(stride * static_cast<size_t>(clip.height()), outside);
    auto cell = [&](int x, int y) -> uint8_t& {
        return cells[static_cast<size_t>(y - clip.top) * stride +
                     static_cast<size_t>(x - clip.left)];
    };
    for (const IntRect& r : visible.rects())
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(&cell(r.left, y), &cell(r.left, y) + r.width(), free);
    auto fillable = [&](int x, int y) {
        return cell(x, y) == free && m_surface.pixel(x, y) == target;
    };

    // Scanline fill: take a seed, extend it to its whole run, mark the run, and push one seed for
    // each run of fillable pixels above and below it.
    std::vector<IntPoint> stack{seed};
    while (!stack.empty()) {
        const IntPoint p = stack.back();
        stack.pop_back();
        if (!fillable(p.x, p.y)) continue;
        int left = p.x, right = p.x;
        while (left > clip.left && fillable(left - 1, p.y))
            --left;
        while (right + 1 < clip.right && fillable(right + 1, p.y))
            ++right;
        for (int x = left; x <= right; ++x)
            cell(x, p.y) = taken;
        for (int y : {p.y - 1, p.y + 1}) {
            if (y < clip.top || y >= clip.bottom) continue;
            bool in_run = false;
            for (int x = left; x <= right; ++x) {
                const bool f = fillable(x, y);
                if (f && !in_run) stack.push_back({x, y});
                in_run = f;
            }
        }
    }

    for (int y = clip.top; y < clip.bottom; ++y) {
        Color* row = m_surface.scanline(y);
        for (int x = clip.left; x < clip.right; ++x) {
            Color c;
            if (cell(x, y) == taken && sampler.sample(x, y, c)) row[x] = c;
        }
    }
}

} // namespace quillet
