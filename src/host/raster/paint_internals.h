// Private helpers of the primitives: brush and pen sampling, the coverage of a figure, and the
// clipped walk of a one-pixel line. Not part of the host's interface.
#pragma once

#include "host/raster/device_context.h"

#include <cstdlib>
#include <vector>

namespace quillet::paint {

__extension__ typedef unsigned __int128 uint128;

inline void mix(Color& dst, Color src, Rop2 op) {
    dst = op == Rop2::copy_pen ? src : apply_rop2(op, src, dst);
}

// The part of the surface that the state's clip region lets drawing reach.
inline Region visible_clip(const DrawState& state, const Surface& surface) {
    return state.clip ? state.clip->intersected(surface.rect()) : Region(surface.rect());
}

// The clip box of a figure whose bounds are given in 64 bits: the common part of both.
IntRect clip_bounds(int64_t left, int64_t top, int64_t right, int64_t bottom, const IntRect& clip);

bool hatch_covers(Hatch h, int x, int y);

// The colour a brush gives a pixel of the surface, or none where it leaves the pixel alone.
// Hatches and patterns repeat from the brush origin.
class BrushSampler {
public:
    BrushSampler(const Brush& brush, Color background, BackgroundMode mode, IntPoint origin);
    bool paints() const { return m_paints; }
    bool is_solid() const { return m_brush.style == BrushStyle::solid; }
    Color solid_color() const { return m_brush.color & color_mask; }
    bool sample(int x, int y, Color& out) const;

private:
    const Brush& m_brush;
    Color m_background;
    IntPoint m_origin;
    bool m_opaque;
    bool m_paints;
};

// Whether a styled one-pixel pen draws its index-th pixel (counted along the path).
inline bool pen_draws(PenStyle style, int64_t index) {
    switch (style) {
    case PenStyle::dash: return index % 24 < 18;
    case PenStyle::dot: return index % 6 < 3;
    default: return true;
    }
}

inline int pen_width(const Pen& pen) {
    return pen.width < 1 ? 1 : pen.width;
}
inline bool pen_is_thin(const Pen& pen) {
    return pen_width(pen) == 1;
}

// What a figure covers, pixel by pixel, over its bounds (already clipped). A pen mark wins over
// a gap of a styled pen, which wins over the brush; each pixel is painted once.
class Coverage {
public:
    enum Kind : uint8_t { none = 0, brush = 1, pen_gap = 2, pen = 3 };

    explicit Coverage(IntRect bounds);
    const IntRect& bounds() const { return m_bounds; }
    void mark(int x, int y, Kind k) {
        if (!m_bounds.contains({x, y})) return;
        uint8_t& c = cell(x, y);
        if (k > c) c = k;
    }
    // Marks pixels first..last (inclusive) of row y, clipped to the bounds.
    void mark_span(int y, int64_t first, int64_t last, Kind k);
    Kind at(int x, int y) const {
        return static_cast<Kind>(m_cells[static_cast<size_t>(y - m_bounds.top) * m_stride +
                                         static_cast<size_t>(x - m_bounds.left)]);
    }
    // Paints the marks with the state's pen, background and brush through its rop2, within the
    // state's clip region.
    void paint(Surface& surface, const DrawState& state) const;

private:
    uint8_t& cell(int x, int y) {
        return m_cells[static_cast<size_t>(y - m_bounds.top) * m_stride +
                       static_cast<size_t>(x - m_bounds.left)];
    }
    IntRect m_bounds;
    size_t m_stride;
    std::vector<uint8_t> m_cells;
};

// Calls plot(x, y, index) for each pixel of the line from a to b that lies inside clip, leaving
// out b itself; index counts pixels from a. The walk starts and ends at the clip, so lines of any
// length cost only what they draw.
template <typename Plot>
void walk_line(IntPoint a, IntPoint b, const IntRect& clip, Plot&& plot) {
    const int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    if ((dx == 0 && dy == 0) || clip.is_empty()) return;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = x_major ? std::llabs(dx) : std::llabs(dy);
    const int64_t d = x_major ? std::llabs(dy) : std::llabs(dx);
    const int64_t major_step = (x_major ? dx : dy) < 0 ? -1 : 1;
    const int64_t minor_step = (x_major ? dy : dx) < 0 ? -1 : 1;
    const int64_t major0 = x_major ? a.x : a.y, minor0 = x_major ? a.y : a.x;
    const int64_t lo = x_major ? clip.left : clip.top, hi = x_major ? clip.right : clip.bottom;
    const int64_t mlo = x_major ? clip.top : clip.left, mhi = x_major ? clip.bottom : clip.right;

    int64_t first =
        major_step > 0 ? std::max<int64_t>(0, lo - major0) : std::max<int64_t>(0, major0 - hi + 1);
    int64_t end = major_step > 0 ? std::min(n, hi - major0) : std::min(n, major0 - lo + 1);
    if (first >= end) return;

    // The minor offset of pixel i is the exact offset i d / n rounded to the nearest pixel,
    // floor((2 i d + half) / 2n), which never decreases with i. Where the line passes exactly
    // half-way between two pixels it takes the one with the smaller coordinate (above or to the
    // left), as the host's GDI does: rounding down when the minor coordinate grows along the
    // line, up when it shrinks. It fits 64 bits unless the line is longer than 2^31 pixels.
    const int64_t half = minor_step > 0 ? n - 1 : n;
    const bool small = n < (int64_t{1} << 31);
    auto offset = [&](int64_t i) {
        if (small) return (2 * i * d + half) / (2 * n);
        return static_cast<int64_t>((uint128(2 * i) * uint64_t(d) + uint64_t(half)) /
                                    uint128(2 * n));
    };
    // A line with both ends inside the clip stays inside it; others are cut down to the clip.
    const bool inside = clip.contains(a) && clip.contains(b);
    if (!inside) {
        const int64_t olo = minor_step > 0 ? mlo - minor0 : minor0 - mhi + 1;
        const int64_t ohi = minor_step > 0 ? mhi - minor0 : minor0 - mlo + 1;
        auto first_reaching = [&](int64_t target, int64_t from, int64_t to) {
            while (from < to) {
                const int64_t mid = from + (to - from) / 2;
                if (offset(mid) < target)
                    from = mid + 1;
                else
                    to = mid;
            }
            return from;
        };
        first = first_reaching(olo, first, end);
        end = first_reaching(ohi, first, end);
        if (first >= end) return;
    }

    int64_t q, r;
    if (small) {
        const int64_t num = 2 * first * d + half;
        q = num / (2 * n);
        r = num % (2 * n);
    } else {
        const uint128 num = uint128(2 * first) * uint64_t(d) + uint64_t(half);
        q = static_cast<int64_t>(num / uint128(2 * n));
        r = static_cast<int64_t>(num % uint128(2 * n));
    }
    for (int64_t i = first; i < end; ++i) {
        const int major = static_cast<int>(major0 + major_step * i);
        const int minor = static_cast<int>(minor0 + minor_step * q);
        if (x_major)
            plot(major, minor, i);
        else
            plot(minor, major, i);
        r += 2 * d;
        if (r >= 2 * n) {
            r -= 2 * n;
            ++q;
        }
    }
}

// Marks the pixels of a line with a one-pixel pen (its last pixel left out, as always).
void mark_thin_line(Coverage& cov, IntPoint a, IntPoint b, PenStyle style, int64_t& index);
// Marks the pixels within half the pen's width of the segment, with round ends.
void mark_wide_line(Coverage& cov, IntPoint a, IntPoint b, int width);

// Bounds of a wide pen's strokes through the points: the points' box grown by the width.
IntRect stroke_bounds(std::span<const IntPoint> points, int width, const IntRect& clip);

} // namespace quillet::paint
