// Pixel rules of GDI's figures and stretches that public sources record as Windows draws them,
// checked on our raster. The coordinates and expected pixels are those facts:
// - ReactOS's gdi32 API test Rectangle.c: rectangles on a 4 x 4 bitmap, with and without a pen;
// - the GDI reference for Rectangle: with a null pen the rectangle is one pixel less in width
//   and in height;
// - the Windows 3.1 reference for Ellipse, Pie and the rectangle overview: a figure extends up
//   to but not including its right and bottom coordinates (a rectangle's lower-right pixel is
//   (right - 1, bottom - 1)), and an ellipse with no width or height is not drawn;
// - Wine's gdi32 test bitmap.c (test_StretchBlt, 32-bit top-down DIBs, the default stretch
//   mode): shrinking two pixels to one takes the first.
#include "host/raster/device_context.h"

#include <climits>
#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr Color white = 0xFFFFFF, black = 0x000000;

// The smallest rectangle holding every pixel that is not the background.
IntRect painted_bounds(const Surface& s, Color background) {
    IntRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != background)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                     std::max(r.bottom, y + 1)};
    return r;
}

struct Probe {
    IntPoint at;
    Color expected;
};

// Rectangle.c: a black brush, the default pen (solid, one pixel, black) or the null pen, on a
// white 4 x 4 bitmap.
TEST(PublishedRectangle, KeepsOffItsRightAndBottomEdges) {
    const Probe outlined[] = {
        {{0, 0}, black}, {{2, 2}, white}, {{0, 2}, white}, {{2, 0}, white}, {{1, 1}, black}};
    for (IntRect box : {IntRect{0, 2, 2, 0}, IntRect{0, 0, 2, 2}}) {
        Surface s(4, 4, white);
        DeviceContext dc(s);
        dc.state().pen = {PenStyle::solid, 1, black};
        dc.state().brush = Brush::solid(black);
        dc.draw_rect(box);
        for (const Probe& p : outlined)
            EXPECT_EQ(s.pixel(p.at.x, p.at.y), p.expected)
                << "rectangle " << box.left << "," << box.top << "," << box.right << ","
                << box.bottom << " at " << p.at.x << "," << p.at.y;
    }
}

TEST(PublishedRectangle, WithANullPenIsOnePixelSmaller) {
    Surface s(4, 4, white);
    DeviceContext dc(s);
    dc.state().pen = {PenStyle::none, 1, black};
    dc.state().brush = Brush::solid(black);
    dc.draw_rect({0, 0, 3, 3});
    const Probe probes[] = {
        {{0, 0}, black}, {{2, 2}, white}, {{0, 2}, white}, {{2, 0}, white}, {{1, 1}, black}};
    for (const Probe& p : probes)
        EXPECT_EQ(s.pixel(p.at.x, p.at.y), p.expected) << p.at.x << "," << p.at.y;

    // The documented rule in general: one pixel less in width and in height, whichever way
    // round the rectangle is given; nothing at all when that leaves no pixel.
    Surface wide(40, 30, white);
    DeviceContext wdc(wide);
    wdc.state() = dc.state();
    wdc.draw_rect({30, 25, 10, 20});
    EXPECT_EQ(painted_bounds(wide, white), (IntRect{10, 20, 29, 24}));
    wide.fill(white);
    wdc.draw_rect({5, 5, 6, 15});
    wdc.draw_rect({5, 5, 15, 6});
    EXPECT_EQ(painted_bounds(wide, white), (IntRect{INT_MAX, INT_MAX, INT_MIN, INT_MIN}));
}

// Windows 3.1 reference: each figure covers right - left columns from left and bottom - top
// rows from top; with a one-pixel pen the outline touches all four sides of that area.
TEST(PublishedFigures, CoverTheirBoxWithoutItsRightAndBottomCoordinates) {
    const IntRect box{7, 5, 38, 26};
    const IntPoint east{100, 15}; // start and stop on one radial: the whole ellipse
    struct Figure {
        const char* name;
        void (*draw)(DeviceContext&, IntRect, IntPoint);
    };
    const Figure figures[] = {
        {"rectangle", [](DeviceContext& dc, IntRect r, IntPoint) { dc.draw_rect(r); }},
        {"round rectangle",
         [](DeviceContext& dc, IntRect r, IntPoint) {
             dc.draw_round_rect(r, {10, 8});
         }},
        {"ellipse", [](DeviceContext& dc, IntRect r, IntPoint) { dc.draw_ellipse(r); }},
        {"arc", [](DeviceContext& dc, IntRect r, IntPoint p) { dc.draw_arc(r, p, p); }},
        {"pie", [](DeviceContext& dc, IntRect r, IntPoint p) { dc.draw_pie(r, p, p); }},
    };
    for (const Figure& f : figures) {
        for (bool backwards : {false, true}) {
            Surface s(50, 40, white);
            DeviceContext dc(s);
            dc.state().pen = {PenStyle::solid, 1, black};
            dc.state().brush = Brush::solid(black);
            f.draw(dc, backwards ? IntRect{box.right, box.bottom, box.left, box.top} : box, east);
            EXPECT_EQ(painted_bounds(s, white), box) << f.name << (backwards ? " backwards" : "");
        }
    }
}

TEST(PublishedFigures, AnEllipseWithoutWidthOrHeightIsNotDrawn) {
    Surface s(30, 30, white);
    DeviceContext dc(s);
    dc.state().pen = {PenStyle::solid, 1, black};
    dc.state().brush = Brush::solid(black);
    dc.draw_ellipse({10, 5, 10, 25});
    dc.draw_ellipse({5, 10, 25, 10});
    EXPECT_EQ(painted_bounds(s, white), (IntRect{INT_MAX, INT_MAX, INT_MIN, INT_MIN}));
}

// test_StretchBlt: a 16 x 16 destination cleared to zero before each stretch, the source's
// first rows holding the values below; every destination pixel is checked.
TEST(PublishedStretch, ShrinkingTwoPixelsToOneTakesTheFirst) {
    struct Case {
        IntRect dest, from; // origin and extent
        std::vector<std::pair<IntPoint, Color>> painted;
    };
    constexpr Color a = 0xFED00D, b = 0xEDFACE, c = 0xDCBA98, d = 0x543210; // fourth bytes dropped
    constexpr Color p0 = 0x00FF00, p1 = 0x00F0F0;
    Surface square(16, 16, 0), row(16, 16, 0);
    square.set_pixel(0, 0, a);
    square.set_pixel(1, 0, b);
    square.set_pixel(0, 1, c);
    square.set_pixel(1, 1, d);
    row.set_pixel(0, 0, p0);
    row.set_pixel(1, 0, p1);
    row.set_pixel(2, 0, 0x00CCCC);
    row.set_pixel(3, 0, 0x00AAAA);
    row.set_pixel(0, 1, c);
    row.set_pixel(1, 1, d);
    const std::pair<const Surface*, Case> cases[] = {
        {&square,
         {{0, 0, 2, 2}, {0, 0, 2, 2}, {{{0, 0}, a}, {{1, 0}, b}, {{0, 1}, c}, {{1, 1}, d}}}},
        {&square, {{0, 0, 1, 1}, {0, 0, 1, 1}, {{{0, 0}, a}}}},
        {&square,
         {{0, 0, 2, 2}, {0, 0, 1, 1}, {{{0, 0}, a}, {{1, 0}, a}, {{0, 1}, a}, {{1, 1}, a}}}},
        {&square, {{0, 0, 1, 1}, {0, 0, 2, 2}, {{{0, 0}, a}}}},
        {&square, {{1, 1, -2, -2}, {1, 1, -2, -2}, {{{0, 0}, a}}}},
        {&square,
         {{1, 1, 2, 2}, {0, 0, 2, 2}, {{{1, 1}, a}, {{2, 1}, b}, {{1, 2}, c}, {{2, 2}, d}}}},
        {&row, {{0, 0, 1, 1}, {0, 0, 2, 1}, {{{0, 0}, p0}}}},
        {&row, {{0, 0, 1, 1}, {0, 0, 1, 2}, {{{0, 0}, p0}}}},
    };
    for (const auto& [source, stretch] : cases) {
        Surface dest(16, 16, 0), expected(16, 16, 0);
        for (const auto& [at, color] : stretch.painted)
            expected.set_pixel(at.x, at.y, color);
        DeviceContext dc(dest);
        dc.stretch_blt({stretch.dest.left, stretch.dest.top, stretch.dest.left + stretch.dest.right,
                        stretch.dest.top + stretch.dest.bottom},
                       *source,
                       {stretch.from.left, stretch.from.top, stretch.from.left + stretch.from.right,
                        stretch.from.top + stretch.from.bottom},
                       rop3::src_copy);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(dest.pixel(x, y), expected.pixel(x, y))
                    << "destination " << stretch.dest.left << "," << stretch.dest.top << ","
                    << stretch.dest.right << "," << stretch.dest.bottom << " source "
                    << stretch.from.left << "," << stretch.from.top << "," << stretch.from.right
                    << "," << stretch.from.bottom << " at " << x << "," << y;
    }
}

} // namespace
} // namespace quillet
