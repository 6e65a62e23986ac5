// Block transfers, stretching, pattern fills and scrolling, with hostile rectangles.
#include "golden.h"
#include "host/raster/device_context.h"

#include <array>
#include <optional>
#include <climits>
#include <gtest/gtest.h>
#include <memory>

namespace quillet {
namespace {

Surface numbered(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.set_pixel(x, y, Color(y * 256 + x + 1));
    return s;
}

TEST(BitBlt, CopiesClipsAndKeepsToTheSource) {
    const Surface src = numbered(8, 8);
    Surface dest(10, 10);
    DeviceContext dc(dest);
    dc.bit_blt({2, 3, 6, 5}, src, {1, 1}, rop3::src_copy);
    EXPECT_EQ(dest.pixel(2, 3), src.pixel(1, 1));
    EXPECT_EQ(dest.pixel(5, 4), src.pixel(4, 2));
    EXPECT_EQ(dest.pixel(6, 4), 0u);
    EXPECT_EQ(dest.pixel(2, 5), 0u);
    // The part whose source lies outside the source surface is left alone.
    dest.fill(0);
    dc.bit_blt({0, 0, 10, 10}, src, {-2, 4}, rop3::src_copy);
    EXPECT_EQ(dest.pixel(1, 0), 0u);
    EXPECT_EQ(dest.pixel(2, 0), src.pixel(0, 4));
    EXPECT_EQ(dest.pixel(9, 3), src.pixel(7, 7));
    EXPECT_EQ(dest.pixel(2, 4), 0u);
    // Wild rectangles and origins do nothing harmful.
    dc.bit_blt({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, src, {INT_MAX, INT_MIN}, rop3::src_copy);
    dc.bit_blt({INT_MAX, 0, INT_MIN, 5}, src, {0, 0}, rop3::src_copy);
    dc.bit_blt({0, 0, 10, 10}, src, {INT_MIN, INT_MAX}, rop3::src_invert);
    dc.bit_blt({-5, -5, 3, 3}, src, {0, 0}, rop3::src_copy);
    EXPECT_EQ(dest.pixel(0, 0), src.pixel(5, 5));
}

TEST(BitBlt, OverlappingCopyWithinOneSurface) {
    Surface s = numbered(8, 4);
    const Surface before = s;
    DeviceContext dc(s);
    dc.bit_blt({1, 1, 8, 4}, s, {0, 0}, rop3::src_copy);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 8; ++x)
            ASSERT_EQ(s.pixel(x, y), before.pixel(x - 1, y - 1));
    EXPECT_EQ(s.pixel(0, 0), before.pixel(0, 0));
}

TEST(BitBlt, PatternOnlyOperations) {
    Surface s(16, 8, 0x00FF00);
    DeviceContext dc(s);
    dc.state().brush = Brush::hatched(Hatch::vertical, 0xFF0000);
    dc.state().background = 0x0000FF;
    dc.state().background_mode = BackgroundMode::transparent; // patterns always fill their gaps
    dc.pat_blt({0, 0, 16, 8}, rop3::pat_copy);
    EXPECT_EQ(s.pixel(4, 3), 0xFF0000u);
    EXPECT_EQ(s.pixel(12, 3), 0xFF0000u);
    EXPECT_EQ(s.pixel(3, 3), 0x0000FFu);
    dc.pat_blt({0, 0, 16, 8}, rop3::dst_invert);
    EXPECT_EQ(s.pixel(3, 3), 0xFFFF00u);
    // A code that needs a source does nothing in a pattern fill; a hollow pattern paints nothing.
    dc.pat_blt({0, 0, 16, 8}, rop3::src_copy);
    dc.state().brush = Brush::hollow();
    dc.pat_blt({0, 0, 16, 8}, rop3::pat_copy);
    EXPECT_EQ(s.pixel(3, 3), 0xFFFF00u);
    dc.pat_blt({0, 0, 16, 8}, rop3::whiteness);
    EXPECT_EQ(s.pixel(3, 3), 0xFFFFFFu);
}

// Hatches and patterns repeat from the brush origin, in every operation that samples a brush,
// whatever the origin's value.
TEST(BrushOrigin, ShiftsHatchesAndPatternsEverywhere) {
    auto pattern = std::make_shared<Surface>(numbered(3, 5));
    const Brush brushes[] = {Brush::hatched(Hatch::cross, 0xFF0000), Brush::with_pattern(pattern)};
    for (const Brush& brush : brushes) {
        // 120 is a multiple of every period here (8, 3 and 5).
        Surface reference(120, 120), shifted(40, 40);
        DeviceContext ref_dc(reference), dc(shifted);
        ref_dc.fill_rect({0, 0, 120, 120}, brush);
        for (IntPoint origin : {IntPoint{2, 7}, IntPoint{-13, 4}, IntPoint{INT_MIN, INT_MAX}}) {
            dc.state().brush = brush;
            dc.state().brush_origin = origin;
            dc.state().pen.style = PenStyle::none;
            auto expect_shifted = [&](const char* what) {
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 40; ++x) {
                        const int64_t rx = ((int64_t{x} - origin.x) % 120 + 120) % 120,
                                      ry = ((int64_t{y} - origin.y) % 120 + 120) % 120;
                        ASSERT_EQ(shifted.pixel(x, y),
                                  reference.pixel(static_cast<int>(rx), static_cast<int>(ry)))
                            << what << " at " << x << "," << y << " origin " << origin.x;
                    }
            };
            dc.fill_rect({0, 0, 40, 40});
            expect_shifted("fill_rect");
            shifted.fill(0x123456);
            dc.pat_blt({0, 0, 40, 40}, rop3::pat_copy);
            expect_shifted("pat_blt");
            shifted.fill(0x123456);
            dc.draw_rect({0, 0, 41, 41}); // no pen: one pixel less each way, 40 x 40
            expect_shifted("draw_rect");
            shifted.fill(0x123456);
            dc.flood_fill({5, 5});
            expect_shifted("flood_fill");
        }
    }
}

TEST(StretchBlt, EnlargesAndShrinksByPixelCentres) {
    const Surface src = numbered(4, 3);
    Surface dest(8, 6);
    DeviceContext dc(dest);
    dc.stretch_blt({0, 0, 8, 6}, src, {0, 0, 4, 3}, rop3::src_copy);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(dest.pixel(x, y), src.pixel(x / 2, y / 2));
    // Shrinking: a destination centre that falls exactly between two source pixels (across,
    // 4 to 2) takes the first of them; one inside a source pixel (down, 3 to 1) takes that one.
    Surface small(2, 1);
    DeviceContext sdc(small);
    sdc.stretch_blt({0, 0, 2, 1}, src, {0, 0, 4, 3}, rop3::src_copy);
    EXPECT_EQ(small.pixel(0, 0), src.pixel(0, 1));
    EXPECT_EQ(small.pixel(1, 0), src.pixel(2, 1));
    // Mirrored, the first is the one nearer the source origin.
    sdc.stretch_blt({0, 0, 2, 1}, src, {3, 0, -1, 3}, rop3::src_copy);
    EXPECT_EQ(small.pixel(0, 0), src.pixel(3, 1));
    EXPECT_EQ(small.pixel(1, 0), src.pixel(1, 1));
    // Same size is a plain copy, and a mix applies per pixel.
    Surface same(4, 3, 0xFFFFFF);
    DeviceContext mdc(same);
    mdc.stretch_blt({0, 0, 4, 3}, src, {0, 0, 4, 3}, rop3::src_invert);
    EXPECT_EQ(same.pixel(2, 1), (0xFFFFFF ^ src.pixel(2, 1)));
}

// A stretch given as origin and extent, as the host's callers give it.
void stretch(DeviceContext& dc, const Surface& src, IntRect dest, IntRect from) {
    dc.stretch_blt({dest.left, dest.top, dest.left + dest.right, dest.top + dest.bottom}, src,
                   {from.left, from.top, from.left + from.right, from.top + from.bottom},
                   rop3::src_copy);
}

// The sixteen sign combinations of a 2 x 2 stretch as the host draws them (a public GDI test
// recorded on Windows): an axis is mirrored where destination and source extents have opposite
// signs; a negative extent then runs from its origin back, without its end; with nothing
// mirrored the rectangles are only normalized.
TEST(StretchBlt, MirrorsWhereTheExtentsHaveOppositeSigns) {
    struct Case {
        IntRect dest, from;       // origin and extent
        std::array<int, 4> takes; // the source pixel (row-major) of each destination pixel
    };
    const Case cases[] = {
        {{0, 0, 2, 2}, {0, 0, 2, 2}, {0, 1, 2, 3}},
        {{0, 0, 2, 2}, {0, 1, 2, -2}, {2, 3, 0, 1}},
        {{0, 0, 2, 2}, {1, 0, -2, 2}, {1, 0, 3, 2}},
        {{0, 0, 2, 2}, {1, 1, -2, -2}, {3, 2, 1, 0}},
        {{0, 1, 2, -2}, {0, 0, 2, 2}, {2, 3, 0, 1}},
        {{0, 2, 2, -2}, {0, 2, 2, -2}, {0, 1, 2, 3}},
        {{0, 1, 2, -2}, {1, 0, -2, 2}, {3, 2, 1, 0}},
        {{0, 1, 2, -2}, {1, 1, -2, -2}, {1, 0, 3, 2}},
        {{1, 0, -2, 2}, {0, 0, 2, 2}, {1, 0, 3, 2}},
        {{1, 0, -2, 2}, {0, 1, 2, -2}, {3, 2, 1, 0}},
        {{2, 0, -2, 2}, {2, 0, -2, 2}, {0, 1, 2, 3}},
        {{1, 0, -2, 2}, {1, 1, -2, -2}, {2, 3, 0, 1}},
        {{1, 1, -2, -2}, {0, 0, 2, 2}, {3, 2, 1, 0}},
        {{1, 1, -2, -2}, {0, 1, 2, -2}, {1, 0, 3, 2}},
        {{1, 1, -2, -2}, {1, 0, -2, 2}, {2, 3, 0, 1}},
        {{2, 2, -2, -2}, {2, 2, -2, -2}, {0, 1, 2, 3}},
    };
    const Surface src = numbered(2, 2);
    for (const Case& c : cases) {
        Surface dest(2, 2);
        DeviceContext dc(dest);
        stretch(dc, src, c.dest, c.from);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dest.pixel(i % 2, i / 2), src.pixel(c.takes[i] % 2, c.takes[i] / 2))
                << "destination " << c.dest.left << "," << c.dest.top << "," << c.dest.right << ","
                << c.dest.bottom << " source " << c.from.left << "," << c.from.top << ","
                << c.from.right << "," << c.from.bottom << " pixel " << i;
    }
    // Both extents negative and nothing mirrored: the rectangles are normalized, so the one
    // pixel inside both surfaces is copied and the rest left alone.
    Surface dest(4, 4);
    DeviceContext dc(dest);
    stretch(dc, src, {1, 1, -2, -2}, {1, 1, -2, -2});
    EXPECT_EQ(dest.pixel(0, 0), src.pixel(0, 0));
    for (IntPoint p : {IntPoint{1, 0}, {0, 1}, {1, 1}})
        EXPECT_EQ(dest.pixel(p.x, p.y), 0u);
}

// A mirrored enlargement or reduction is the plain one read backwards, clipped like it.
TEST(StretchBlt, MirroredStretchesAreThePlainOnesReversed) {
    const Surface src = numbered(5, 3);
    for (IntSize size : {IntSize{11, 7}, IntSize{3, 2}, IntSize{5, 3}}) {
        Surface plain(size.width, size.height), mirrored(size.width, size.height);
        DeviceContext pdc(plain), mdc(mirrored);
        stretch(pdc, src, {0, 0, size.width, size.height}, {0, 0, 5, 3});
        stretch(mdc, src, {size.width - 1, 0, -size.width, size.height}, {0, 0, 5, 3});
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                ASSERT_EQ(mirrored.pixel(x, y), plain.pixel(size.width - 1 - x, y))
                    << size.width << " x " << size.height << " at " << x << "," << y;
        // Upside down by the source instead, with the clip keeping to the lower half.
        mirrored.fill(0);
        mdc.state().clip = Region(IntRect{0, size.height / 2, size.width, size.height});
        stretch(mdc, src, {0, 0, size.width, size.height}, {0, 2, 5, -3});
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                ASSERT_EQ(mirrored.pixel(x, y),
                          y < size.height / 2 ? 0u : plain.pixel(x, size.height - 1 - y));
    }
}

TEST(StretchBlt, HostileRectanglesAreSafe) {
    const Surface src = numbered(4, 4);
    Surface dest(8, 8);
    DeviceContext dc(dest);
    dc.stretch_blt({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, src, {0, 0, 4, 4}, rop3::src_copy);
    dc.stretch_blt({0, 0, 8, 8}, src, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, rop3::src_copy);
    dc.stretch_blt({0, 0, 8, 8}, src, {-100, -100, 2, 2}, rop3::src_copy);
    dc.stretch_blt({0, 0, 8, 8}, src, {3, 3, 3, 1}, rop3::src_copy); // empty source
    dc.stretch_blt({INT_MAX, INT_MAX, INT_MIN, INT_MIN}, src, {0, 0, 4, 4}, rop3::src_copy);
    dc.stretch_blt({0, 0, 8, 8}, src, {INT_MAX, INT_MIN, INT_MIN, INT_MAX}, rop3::src_invert);
    dc.stretch_blt({INT_MIN, 0, INT_MAX, 8}, src, {INT_MAX, 0, INT_MIN, 4}, rop3::src_copy);
    dc.stretch_blt({0, 0, 8, 8}, dest, {0, 0, 4, 4}, rop3::src_copy); // itself
    SUCCEED();
}

TEST(ScrollRect, MovesContentsAndReportsTheUncoveredPart) {
    Surface s = numbered(6, 6);
    const Surface before = s;
    DeviceContext dc(s);
    const IntRect uncovered = dc.scroll_rect({1, 1, 5, 5}, 0, -2);
    EXPECT_EQ(uncovered, (IntRect{1, 3, 5, 5}));
    EXPECT_EQ(s.pixel(1, 1), before.pixel(1, 3));
    EXPECT_EQ(s.pixel(4, 2), before.pixel(4, 4));
    EXPECT_EQ(s.pixel(0, 1), before.pixel(0, 1)); // outside the rectangle
    EXPECT_EQ(s.pixel(1, 0), before.pixel(1, 0));

    s = before;
    EXPECT_EQ(dc.scroll_rect({0, 0, 6, 6}, 2, 0), (IntRect{0, 0, 2, 6}));
    EXPECT_EQ(s.pixel(5, 3), before.pixel(3, 3));
    EXPECT_EQ(dc.scroll_rect({0, 0, 6, 6}, 1, 1), (IntRect{0, 0, 6, 6}));
    EXPECT_EQ(dc.scroll_rect({0, 0, 6, 6}, INT_MAX, INT_MIN), (IntRect{0, 0, 6, 6}));
    EXPECT_EQ(dc.scroll_rect({0, 0, 6, 6}, 0, 0), IntRect{});
    // The clip limits both what moves and what is uncovered.
    s = before;
    dc.state().clip = IntRect{0, 0, 3, 6};
    EXPECT_EQ(dc.scroll_rect({0, 0, 6, 6}, 0, 1), (IntRect{0, 0, 3, 1}));
    EXPECT_EQ(s.pixel(2, 5), before.pixel(2, 4));
    EXPECT_EQ(s.pixel(4, 5), before.pixel(4, 5));
}

// Every pixel of the rectangle that the clip lets through takes the pixel (dx, dy) before it,
// as it was before the move, whichever the direction, with one clip rectangle or a region.
TEST(ScrollRect, EveryDirectionMovesThePixelsAsTheyWere) {
    const Surface before = numbered(9, 8);
    const IntRect r{1, 1, 8, 7};
    const std::optional<Region> clips[] = {std::nullopt,
                                           Region(IntRect{0, 0, 9, 8}).subtracted({4, 0, 5, 8})};
    for (const std::optional<Region>& clip : clips)
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                Surface s = before;
                DeviceContext dc(s);
                dc.state().clip = clip;
                dc.scroll_rect(r, dx, dy);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 9; ++x) {
                        const IntPoint from{x - dx, y - dy};
                        const bool moves = (dx != 0 || dy != 0) && r.contains({x, y}) &&
                                           r.contains(from) && (!clip || clip->contains({x, y}));
                        EXPECT_EQ(s.pixel(x, y),
                                  moves ? before.pixel(from.x, from.y) : before.pixel(x, y))
                            << "dx " << dx << " dy " << dy << " at " << x << ", " << y;
                    }
            }
}

} // namespace
} // namespace quillet
