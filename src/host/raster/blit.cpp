// Block transfers: copy, stretch and pattern fill with ternary raster operations, and scrolling.
// Destinations are clipped to the clip region, sources to the source surface: a pixel whose
// source lies outside the source surface is left alone.
#include "host/raster/paint_internals.h"
#include "host/raster/pixel_rows.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
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

// A run of pixels along one axis: `count` pixels from `first`, stepping by `step` (1 or -1).
struct PixelRun {
    int64_t first;
    int64_t step;
    int64_t count;
};

// The pixels an extent from `start` to `end` covers. A stretch that mirrors nothing takes each
// extent as a rectangle's side, whichever way round it is given. A mirroring one walks each
// extent from its start towards its end, which it leaves out: from 1 to -1 covers 1 and 0.
PixelRun pixel_run(int start, int end, bool mirrors) {
    if (!mirrors || end > start) return {std::min(start, end), 1, std::abs(int64_t{end} - start)};
    return {start, -1, int64_t{start} - end};
}

// One axis of a stretch: the n-th destination pixel of its run takes the source pixel of the
// source run under its centre. A centre that falls exactly between two source pixels takes the
// first of them, nearer the source origin, as the host does (two pixels shrunk to one give the
// first).
struct StretchAxis {
    PixelRun dest;
    PixelRun src;

    int64_t dest_low() const { return dest.step > 0 ? dest.first : dest.first - dest.count + 1; }
    int64_t dest_high() const { return dest_low() + dest.count; }
    int64_t source_of(int64_t d) const {
        const int64_t n = dest.step > 0 ? d - dest.first : dest.first - d;
        const auto k =
            static_cast<int64_t>((paint::uint128(2 * n + 1) * paint::uint128(src.count) - 1) /
                                 paint::uint128(2 * dest.count));
        return src.first + src.step * k;
    }
};

struct StretchAxes {
    StretchAxis across;
    StretchAxis down;
};

// A stretch mirrors an axis where the destination and source run opposite ways on it. Nothing
// is drawn when an extent is zero.
std::optional<StretchAxes> stretch_axes(const IntRect& dest, const IntRect& src) {
    if (dest.width() == 0 || dest.height() == 0 || src.width() == 0 || src.height() == 0)
        return std::nullopt;
    const bool mirrors =
        (dest.width() < 0) != (src.width() < 0) || (dest.height() < 0) != (src.height() < 0);
    return StretchAxes{
        {pixel_run(dest.left, dest.right, mirrors), pixel_run(src.left, src.right, mirrors)},
        {pixel_run(dest.top, dest.bottom, mirrors), pixel_run(src.top, src.bottom, mirrors)}};
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
    const std::optional<StretchAxes> axes = stretch_axes(dest, src_rect);
    if (!axes) return;
    const StretchAxis &across = axes->across, &down = axes->down;
    IntRect area = paint::clip_bounds(across.dest_low(), down.dest_low(), across.dest_high(),
                                      down.dest_high(), clip_rect());
    if (area.is_empty()) return;
    const uint8_t table = rop3_table(rop);
    if (!rop3_uses_source(table)) return pat_blt(area, rop);
    const Pattern pattern(m_state);
    const bool uses_pattern = rop3_uses_pattern(table);
    if (uses_pattern && !pattern.sampler.paints()) return;
    Surface copy;
    const Surface& src = stable_source(source, m_surface, copy);

    // The mapping is monotonic, so the pixels whose source lies inside the source surface form
    // one run.
    std::vector<int> columns;
    columns.reserve(static_cast<size_t>(area.width()));
    int first = area.right;
    for (int x = area.left; x < area.right; ++x) {
        const int64_t sx = across.source_of(x);
        if (sx < 0 || sx >= src.width()) {
            if (!columns.empty()) break;
            continue;
        }
        if (columns.empty()) first = x;
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
            const int64_t sy = down.source_of(y);
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
    const Region visible = clip_region();
    if (visible.rects().size() == 1) {
        // One clip rectangle holds both the source and the destination: the rows are moved in
        // place, in the order that reads each row before it is written over.
        const size_t count = static_cast<size_t>(moved.width());
        auto move_row = [&](int y) {
            std::memmove(m_surface.scanline(y) + moved.left,
                         m_surface.scanline(y - dy) + (moved.left - dx), count * sizeof(Color));
        };
        if (dy > 0)
            for (int y = moved.bottom - 1; y >= moved.top; --y)
                move_row(y);
        else
            for (int y = moved.top; y < moved.bottom; ++y)
                move_row(y);
    } else {
        // The pixels are read into a buffer first, so every part of the clip region gets them as
        // they were before the move.
        const size_t count = static_cast<size_t>(moved.width());
        const std::unique_ptr<Color[]> before(
            new Color[count * static_cast<size_t>(moved.height())]);
        for (int y = moved.top; y < moved.bottom; ++y)
            paint::copy_row(before.get() + static_cast<size_t>(y - moved.top) * count,
                            m_surface.scanline(y - dy) + (moved.left - dx), count);
        for (const IntRect& clip : visible.rects()) {
            const IntRect part = moved.intersected(clip);
            for (int y = part.top; y < part.bottom; ++y)
                paint::copy_row(m_surface.scanline(y) + part.left,
                                before.get() + static_cast<size_t>(y - moved.top) * count +
                                    static_cast<size_t>(part.left - moved.left),
                                static_cast<size_t>(part.width()));
        }
    }

    if (dx != 0 && dy != 0) return area;
    if (dy > 0) return {area.left, area.top, area.right, moved.top};
    if (dy < 0) return {area.left, moved.bottom, area.right, area.bottom};
    if (dx > 0) return {area.left, area.top, moved.left, area.bottom};
    return {moved.right, area.top, area.right, area.bottom};
}

} // namespace quillet
