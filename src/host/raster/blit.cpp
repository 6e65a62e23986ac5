// Block transfers: copy, stretch and pattern fill with ternary raster operations, and scrolling.
// Destinations are clipped to the clip region, sources to the source surface: a pixel whose
// source lies outside the source surface is left alone.
#include "host/raster/paint_internals.h"
#include "host/raster/pixel_rows.h"

#include <array>
#include <utility>

namespace quillet {

namespace {

// One row of a ternary operation: dest[i] = f(pattern, source[i], dest[i]), the pattern being
// either a row of pixels or one solid colour.
struct RopRow {
    const Color* pattern;
    Color solid;
    const Color* source;
    Color* dest;
    size_t count;
};
using RopRowFn = void (*)(const RopRow&);

// Each code's row loop is instantiated with its truth table as a constant, so the compiler
// reduces apply_rop3 to the few operations that code needs.
template <unsigned Table>
void rop_row(const RopRow& r) {
    constexpr uint8_t table = Table;
    constexpr bool uses_source = rop3_uses_source(table), uses_pattern = rop3_uses_pattern(table);
    if (uses_pattern && r.pattern) {
        for (size_t i = 0; i < r.count; ++i)
            r.dest[i] = apply_rop3(table, r.pattern[i], uses_source ? r.source[i] : 0, r.dest[i]);
        return;
    }
    const Color p = r.solid;
    for (size_t i = 0; i < r.count; ++i)
        r.dest[i] = apply_rop3(table, p, uses_source ? r.source[i] : 0, r.dest[i]);
}

template <size_t... Tables>
constexpr std::array<RopRowFn, 256> make_rop_rows(std::index_sequence<Tables...>) {
    return {&rop_row<Tables>...};
}
constexpr std::array<RopRowFn, 256> rop_rows = make_rop_rows(std::make_index_sequence<256>{});

// The pattern of a block transfer is the brush with its hatch gaps in the background colour.
struct Pattern {
    paint::BrushSampler sampler;
    Pattern(const DrawState& state)
        : sampler(state.brush, state.background, BackgroundMode::opaque, state.brush_origin) {}
    // Solid patterns are one colour; others are sampled into a row for each destination row.
    bool is_solid() const { return sampler.is_solid(); }
    Color solid() const { return sampler.is_solid() ? sampler.solid_color() : 0; }
    const Color* row(std::vector<Color>& buffer, size_t count, int left, int y) const {
        if (sampler.is_solid()) return nullptr;
        for (size_t i = 0; i < count; ++i) {
            Color c = 0;
            sampler.sample(left + static_cast<int>(i), y, c);
            buffer[i] = c;
        }
        return buffer.data();
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
    IntRect reach = dest.intersected(clip_rect());
    const int64_t ox = int64_t{src_origin.x} - dest.left, oy = int64_t{src_origin.y} - dest.top;
    if (uses_source)
        reach = paint::clip_bounds(-ox, -oy, source.width() - ox, source.height() - oy, reach);
    if (reach.is_empty()) return;
    const Pattern pattern(m_state);
    if (uses_pattern && !pattern.sampler.paints()) return;
    Surface copy;
    const Surface& src = uses_source ? stable_source(source, m_surface, copy) : source;
    std::vector<Color> pattern_row(
        uses_pattern && !pattern.is_solid() ? static_cast<size_t>(reach.width()) : 0);
    const RopRowFn row_fn = rop_rows[table];
    const Region visible = clip_region();
    for (const IntRect& clip : visible.rects()) {
        const IntRect area = reach.intersected(clip);
        const size_t count = static_cast<size_t>(area.width());
        for (int y = area.top; y < area.bottom; ++y) {
            Color* d = m_surface.scanline(y) + area.left;
            const Color* s =
                uses_source ? src.scanline(static_cast<int>(y + oy)) + (area.left + ox) : nullptr;
            if (table == rop3_table(rop3::src_copy)) {
                paint::copy_row(d, s, count);
                continue;
            }
            const Color* p = uses_pattern ? pattern.row(pattern_row, count, area.left, y) : nullptr;
            row_fn({p, pattern.solid(), s, d, count});
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
    IntRect area = dest.intersected(clip_rect());
    if (area.is_empty()) return;
    const Pattern pattern(m_state);
    const bool uses_pattern = rop3_uses_pattern(table);
    if (uses_pattern && !pattern.sampler.paints()) return;
    Surface copy;
    const Surface& src = stable_source(source, m_surface, copy);

    // Each destination pixel takes the source pixel under its centre. The mapping never
    // decreases, so the pixels whose source lies inside the source surface form one run.
    auto map = [](int64_t offset, int64_t dest_size, int64_t src_start, int64_t src_size) {
        return src_start +
               static_cast<int64_t>(paint::uint128(2 * offset + 1) * paint::uint128(src_size) /
                                    paint::uint128(2 * dest_size));
    };
    std::vector<int> columns;
    columns.reserve(static_cast<size_t>(area.width()));
    int first = area.right;
    for (int x = area.left; x < area.right; ++x) {
        const int64_t sx =
            map(int64_t{x} - dest.left, dest.width(), src_rect.left, src_rect.width());
        if (sx < 0) continue;
        if (sx >= src.width()) break;
        if (first == area.right) first = x;
        columns.push_back(static_cast<int>(sx));
    }
    if (columns.empty()) return;
    area.left = first;
    area.right = first + static_cast<int>(columns.size());
    const bool copies = table == rop3_table(rop3::src_copy);
    std::vector<Color> source_row(copies ? 0 : columns.size()),
        pattern_row(uses_pattern && !pattern.is_solid() ? columns.size() : 0);
    const RopRowFn row_fn = rop_rows[table];
    const Region visible = clip_region();
    for (const IntRect& clip : visible.rects()) {
        const IntRect part = area.intersected(clip);
        if (part.is_empty()) continue;
        const int* cols = columns.data() + (part.left - area.left);
        const size_t count = static_cast<size_t>(part.width());
        for (int y = part.top; y < part.bottom; ++y) {
            const int64_t sy =
                map(int64_t{y} - dest.top, dest.height(), src_rect.top, src_rect.height());
            if (sy < 0 || sy >= src.height()) continue;
            const Color* s = src.scanline(static_cast<int>(sy));
            Color* d = m_surface.scanline(y) + part.left;
            if (copies) { // straight into the destination
                for (size_t i = 0; i < count; ++i)
                    d[i] = s[cols[i]];
                continue;
            }
            for (size_t i = 0; i < count; ++i)
                source_row[i] = s[cols[i]];
            const Color* p = uses_pattern ? pattern.row(pattern_row, count, part.left, y) : nullptr;
            row_fn({p, pattern.solid(), source_row.data(), d, count});
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
    // The pixels are read into a buffer first, so every part of the clip region gets them as
    // they were before the move.
    const size_t count = static_cast<size_t>(moved.width());
    std::vector<Color> before(count * static_cast<size_t>(moved.height()));
    for (int y = moved.top; y < moved.bottom; ++y)
        paint::copy_row(before.data() + static_cast<size_t>(y - moved.top) * count,
                        m_surface.scanline(y - dy) + (moved.left - dx), count);
    const Region visible = clip_region();
    for (const IntRect& clip : visible.rects()) {
        const IntRect part = moved.intersected(clip);
        for (int y = part.top; y < part.bottom; ++y)
            paint::copy_row(m_surface.scanline(y) + part.left,
                            before.data() + static_cast<size_t>(y - moved.top) * count +
                                static_cast<size_t>(part.left - moved.left),
                            static_cast<size_t>(part.width()));
    }

    if (dx != 0 && dy != 0) return area;
    if (dy > 0) return {area.left, area.top, area.right, moved.top};
    if (dy < 0) return {area.left, moved.bottom, area.right, area.bottom};
    if (dx > 0) return {area.left, area.top, moved.left, area.bottom};
    return {moved.right, area.top, area.right, area.bottom};
}

} // namespace quillet
