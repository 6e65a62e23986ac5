// Block transfers: copy, stretch and pattern fill with ternary raster operations, and scrolling.
// Destinations are clipped to the clip rectangle, sources to the source surface: a pixel whose
// source lies outside the source surface is left alone.
#include "paint_internals.h"

#include <cstring>

namespace quillet {

namespace {

// A ternary operation expanded from its truth table into eight all-or-nothing masks, so that a
// pixel costs a fixed handful of bitwise operations whatever the code.
class Rop3Eval {
public:
    explicit Rop3Eval(uint8_t table) {
        for (unsigned k = 0; k < 8; ++k)
            m_mask[k] = (table >> k & 1) ? ~Color{0} : 0;
    }
    Color operator()(Color p, Color s, Color d) const {
        const Color np = ~p, ns = ~s, nd = ~d;
        return ((np & ns & nd & m_mask[0]) | (np & ns & d & m_mask[1]) | (np & s & nd & m_mask[2]) |
                (np & s & d & m_mask[3]) | (p & ns & nd & m_mask[4]) | (p & ns & d & m_mask[5]) |
                (p & s & nd & m_mask[6]) | (p & s & d & m_mask[7])) &
               color_mask;
    }

private:
    Color m_mask[8];
};

// The pattern of a block transfer is the brush with its hatch gaps in the background colour.
struct Pattern {
    paint::BrushSampler sampler;
    Pattern(const DrawState& state)
        : sampler(state.brush, state.background, BackgroundMode::opaque) {}
    Color at(int x, int y) const {
        Color c = 0;
        sampler.sample(x, y, c);
        return c;
    }
};

// Sources that are the destination surface itself are copied first, so overlapping transfers
// read the pixels as they were.
const Surface& stable_source(const Surface& src, const Surface& dest, Surface& copy) {
    if (&src != &dest) return src;
    copy = src;
    return copy;
}

} // namespace

void DeviceContext::bit_blt(IntRect dest, const Surface& source, IntPoint src_origin, Rop3 rop) {
    const uint8_t table = rop3_table(rop);
    const bool uses_source = rop3_uses_source(table), uses_pattern = rop3_uses_pattern(table);
    IntRect area = dest.intersected(clip_rect());
    const int64_t ox = int64_t{src_origin.x} - dest.left, oy = int64_t{src_origin.y} - dest.top;
    if (uses_source)
        area = paint::clip_bounds(-ox, -oy, source.width() - ox, source.height() - oy, area);
    if (area.is_empty()) return;
    const Pattern pattern(m_state);
    if (uses_pattern && !pattern.sampler.paints()) return;
    Surface copy;
    const Surface& src = uses_source ? stable_source(source, m_surface, copy) : source;
    const Rop3Eval eval(table);
    const size_t count = static_cast<size_t>(area.width());
    for (int y = area.top; y < area.bottom; ++y) {
        Color* d = m_surface.scanline(y) + area.left;
        const Color* s =
            uses_source ? src.scanline(static_cast<int>(y + oy)) + (area.left + ox) : nullptr;
        if (table == rop3_table(rop3::src_copy)) {
            std::memcpy(d, s, count * sizeof(Color));
            continue;
        }
        if (!uses_pattern && table == rop3_table(rop3::src_invert)) {
            for (size_t i = 0; i < count; ++i)
                d[i] = (d[i] ^ s[i]) & color_mask;
            continue;
        }
        for (size_t i = 0; i < count; ++i) {
            const int x = area.left + static_cast<int>(i);
            const Color p = uses_pattern ? pattern.at(x, y) : 0;
            d[i] = eval(p, s ? s[i] : 0, d[i]);
        }
    }
}

void DeviceContext::pat_blt(IntRect dest, Rop3 rop) {
    const uint8_t table = rop3_table(rop);
    if (rop3_uses_source(table)) return; // there is no source to read
    const Surface none;
    bit_blt(dest, none, {}, rop);
}

void DeviceContext::stretch_blt(IntRect dest, const Surface& source, IntRect src_rect, Rop3 rop) {
    const uint8_t table = rop3_table(rop);
    if (dest.is_empty() || src_rect.is_empty()) return;
    if (!rop3_uses_source(table)) return pat_blt(dest, rop);
    const IntRect area = dest.intersected(clip_rect());
    if (area.is_empty()) return;
    const Pattern pattern(m_state);
    const bool uses_pattern = rop3_uses_pattern(table);
    if (uses_pattern && !pattern.sampler.paints()) return;
    Surface copy;
    const Surface& src = stable_source(source, m_surface, copy);

    // Each destination pixel takes the source pixel under its centre.
    auto map = [](int64_t offset, int64_t dest_size, int64_t src_start, int64_t src_size) {
        return src_start +
               static_cast<int64_t>(paint::uint128(2 * offset + 1) * paint::uint128(src_size) /
                                    paint::uint128(2 * dest_size));
    };
    std::vector<int64_t> columns(static_cast<size_t>(area.width()));
    for (int x = area.left; x < area.right; ++x)
        columns[static_cast<size_t>(x - area.left)] =
            map(int64_t{x} - dest.left, dest.width(), src_rect.left, src_rect.width());
    const Rop3Eval eval(table);
    for (int y = area.top; y < area.bottom; ++y) {
        const int64_t sy =
            map(int64_t{y} - dest.top, dest.height(), src_rect.top, src_rect.height());
        if (sy < 0 || sy >= src.height()) continue;
        const Color* s = src.scanline(static_cast<int>(sy));
        Color* d = m_surface.scanline(y);
        for (int x = area.left; x < area.right; ++x) {
            const int64_t sx = columns[static_cast<size_t>(x - area.left)];
            if (sx < 0 || sx >= src.width()) continue;
            const Color p = uses_pattern ? pattern.at(x, y) : 0;
            d[x] = eval(p, s[sx], d[x]);
        }
    }
}

IntRect DeviceContext::scroll_rect(IntRect r, int dx, int dy) {
    const IntRect area = r.normalized().intersected(clip_rect());
    if (area.is_empty() || (dx == 0 && dy == 0)) return {};
    const IntRect moved =
        paint::clip_bounds(int64_t{area.left} + dx, int64_t{area.top} + dy,
                           int64_t{area.right} + dx, int64_t{area.bottom} + dy, area);
    if (moved.is_empty()) return area;
    const size_t count = static_cast<size_t>(moved.width());
    auto move_row = [&](int y) {
        Color* row = m_surface.scanline(y);
        const Color* from = m_surface.scanline(y - dy) + (moved.left - dx);
        std::memmove(row + moved.left, from, count * sizeof(Color));
    };
    if (dy > 0)
        for (int y = moved.bottom - 1; y >= moved.top; --y)
            move_row(y);
    else
        for (int y = moved.top; y < moved.bottom; ++y)
            move_row(y);

    if (dx != 0 && dy != 0) return area;
    if (dy > 0) return {area.left, area.top, area.right, moved.top};
    if (dy < 0) return {area.left, moved.bottom, area.right, area.bottom};
    if (dx > 0) return {area.left, area.top, moved.left, area.bottom};
    return {moved.right, area.top, area.right, area.bottom};
}

} // namespace quillet
