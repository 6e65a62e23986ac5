// Flood fill: the 4-connected region of pixels that have the seed's colour, within the clip, is
// found first and then painted with the brush, so a brush of the seed's own colour (or one with
// transparent gaps) can never make the fill run on.
#include "host/raster/paint_internals.h"

#include <vector>

namespace quillet {

void DeviceContext::flood_fill(IntPoint seed) {
    const IntRect clip = clip_rect();
    if (!clip.contains(seed)) return;
    const paint::BrushSampler sampler(m_state.brush, m_state.background, m_state.background_mode,
                                      m_state.brush_origin);
    if (!sampler.paints()) return;
    const Color target = m_surface.pixel(seed.x, seed.y);

    const size_t stride = static_cast<size_t>(clip.width());
    std::vector<uint8_t> region(stride * static_cast<size_t>(clip.height()), 0);
    auto in_region = [&](int x, int y) -> uint8_t& {
        return region[static_cast<size_t>(y - clip.top) * stride +
                      static_cast<size_t>(x - clip.left)];
    };
    auto fillable = [&](int x, int y) {
        return !in_region(x, y) && m_surface.pixel(x, y) == target;
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
            in_region(x, p.y) = 1;
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
            if (in_region(x, y) && sampler.sample(x, y, c)) row[x] = c;
        }
    }
}

} // namespace quillet
