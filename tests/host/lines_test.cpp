// Lines: the last pixel left out, styles, wide pens, mixes and clipping of any coordinates.
#include "golden.h"
#include "host/raster/device_context.h"

#include <climits>
#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr Color white = 0xFFFFFF, black = 0x000000, red = 0xFF0000, blue = 0x0000FF;

int count(const Surface& s, Color c) {
    int n = 0;
    for (Color p : s.pixels())
        n += p == c;
    return n;
}

struct LineTest : ::testing::Test {
    Surface surface{40, 20, white};
    DeviceContext dc{surface};
    void line(IntPoint a, IntPoint b) {
        dc.move_to(a);
        dc.line_to(b);
    }
};

TEST_F(LineTest, OnePixelLineIsTheStartPixelOnly) {
    // The engine lengthens (5,5)-(5,5) to (5,5)-(6,5): exactly one pixel.
    line({5, 5}, {6, 5});
    EXPECT_EQ(count(surface, black), 1);
    EXPECT_EQ(surface.pixel(5, 5), black);
    // A line to its own start draws nothing.
    line({8, 8}, {8, 8});
    EXPECT_EQ(count(surface, black), 1);
}

TEST_F(LineTest, LastPixelIsLeftOut) {
    line({10, 0}, {0, 0});
    EXPECT_EQ(test::picture(surface, {0, 0, 12, 1}, black), ".##########.\n");
    // Extended by one pixel in its direction, as the engine does, it covers 0..10.
    line({10, 1}, {-1, 1});
    EXPECT_EQ(test::picture(surface, {0, 1, 12, 2}, black), "###########.\n");
    line({0, 3}, {4, 7});
    EXPECT_EQ(test::picture(surface, {0, 3, 5, 8}, black), "#....\n.#...\n..#..\n...#.\n.....\n");
    EXPECT_EQ(dc.state().position, (IntPoint{4, 7}));
}

TEST_F(LineTest, PolylineDrawsEachVertexOnce) {
    dc.state().rop2 = Rop2::xor_pen;
    dc.state().pen.color = 0xFFFFFF; // white xor white = black
    const IntPoint points[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 2}};
    dc.draw_polyline(points);
    EXPECT_EQ(count(surface, black), 40);
    EXPECT_EQ(surface.pixel(12, 2), black);
    EXPECT_EQ(surface.pixel(2, 2), black);
}

TEST_F(LineTest, DashesAndDotsCountAlongTheLine) {
    dc.state().pen = {PenStyle::dash, 1, red};
    dc.state().background = blue;
    line({0, 0}, {40, 0});
    std::string row0 = test::picture(surface, {0, 0, 40, 1}, red);
    EXPECT_EQ(row0, std::string(18, '#') + std::string(6, '.') + std::string(16, '#') + "\n");
    EXPECT_EQ(surface.pixel(20, 0), blue); // opaque gaps take the background colour

    dc.state().pen = {PenStyle::dot, 1, red};
    dc.state().background_mode = BackgroundMode::transparent;
    line({0, 2}, {12, 2});
    EXPECT_EQ(test::picture(surface, {0, 2, 13, 3}, red), "###...###....\n");
    EXPECT_EQ(surface.pixel(4, 2), white); // transparent gaps are left alone
}

TEST_F(LineTest, WidePensAreCentredAndCoverTheirWidth) {
    dc.state().pen = {PenStyle::solid, 3, black};
    line({10, 10}, {20, 10});
    EXPECT_EQ(test::picture(surface, {15, 7, 16, 14}, black), ".\n.\n#\n#\n#\n.\n.\n");
    EXPECT_EQ(surface.pixel(9, 10), black); // round ends reach half the width past the ends
    EXPECT_EQ(surface.pixel(21, 10), black);
    EXPECT_EQ(surface.pixel(22, 10), white);

    surface.fill(white);
    dc.state().pen.width = 2;
    line({10, 10}, {20, 10});
    EXPECT_EQ(test::picture(surface, {15, 7, 16, 14}, black), ".\n.\n#\n#\n.\n.\n.\n");

    // Dashes apply to one-pixel pens only.
    surface.fill(white);
    dc.state().pen = {PenStyle::dash, 2, black};
    line({0, 5}, {39, 5});
    EXPECT_EQ(surface.pixel(20, 5), black);
}

TEST_F(LineTest, PenNoneOnlyMoves) {
    dc.state().pen.style = PenStyle::none;
    line({0, 0}, {30, 10});
    EXPECT_EQ(count(surface, white), 40 * 20);
    EXPECT_EQ(dc.state().position, (IntPoint{30, 10}));
}

TEST_F(LineTest, XorTwiceRestores) {
    dc.state().rop2 = Rop2::xor_pen;
    dc.state().pen.color = 0x123456;
    const Surface before = surface;
    line({0, 0}, {39, 19});
    EXPECT_NE(surface, before);
    line({0, 0}, {39, 19});
    EXPECT_EQ(surface, before);
}

TEST_F(LineTest, ClipsToTheClipRectangle) {
    dc.state().clip = IntRect{5, 0, 10, 20};
    line({-1000000, 5}, {1000000, 5});
    EXPECT_EQ(test::picture(surface, {0, 5, 12, 6}, black), ".....#####..\n");
    EXPECT_EQ(count(surface, black), 5);
}

TEST_F(LineTest, ExtremeCoordinatesAreSafeAndExact) {
    // A diagonal across the whole 32-bit plane hits exactly the diagonal pixels it crosses.
    line({INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
    EXPECT_EQ(count(surface, black), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(surface.pixel(i, i), black) << i;
    surface.fill(white);
    line({INT_MAX, 0}, {INT_MIN, 19});
    line({0, INT_MIN}, {0, INT_MAX});
    dc.state().pen.width = INT_MAX;
    line({INT_MIN, 0}, {INT_MAX, 0});
    EXPECT_EQ(count(surface, black), 40 * 20); // the huge pen covers everything
}

// A line passing exactly half-way between two pixels takes the one above or to the left, in
// every octant, as the host's GDI does.
TEST(LineTies, HalfWayTakesTheSmallerCoordinate) {
    Surface s(210, 210, white);
    DeviceContext dc(s);
    dc.move_to({100, 100});
    dc.line_to({200, 150});
    EXPECT_EQ(test::picture(s, {100, 100, 105, 103}, black), "##...\n..##.\n....#\n");
    s.fill(white);
    dc.move_to({100, 100});
    dc.line_to({150, 0});
    EXPECT_EQ(s.pixel(149, 1), black);
    EXPECT_EQ(s.pixel(150, 1), white);
    // So a line and its reverse cover the same pixels, apart from the end each leaves out, and a
    // clipped line keeps the pixels it has unclipped.
    const IntPoint ends[] = {{200, 150}, {150, 200}, {50, 200}, {0, 150},
                             {0, 50},    {50, 0},    {150, 0},  {200, 50}};
    const IntPoint centre{100, 100};
    for (IntPoint end : ends) {
        Surface forward(210, 210, white), backward(210, 210, white), clipped(210, 210, white);
        DeviceContext f(forward), b(backward), c(clipped);
        f.move_to(centre);
        f.line_to(end);
        f.set_pixel(end, black);
        b.move_to(end);
        b.line_to(centre);
        b.set_pixel(centre, black);
        EXPECT_EQ(forward, backward) << end.x << "," << end.y;
        const IntRect window{60, 60, 141, 141};
        c.state().clip = window;
        c.move_to(centre);
        c.line_to(end);
        for (int y = window.top; y < window.bottom; ++y) {
            for (int x = window.left; x < window.right; ++x) {
                const Color expected = IntPoint{x, y} == end ? white : forward.pixel(x, y);
                ASSERT_EQ(clipped.pixel(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST_F(LineTest, StylesGolden) {
    Surface s(120, 60, white);
    DeviceContext d(s);
    int y = 4;
    for (PenStyle style : {PenStyle::solid, PenStyle::dash, PenStyle::dot}) {
        d.state().pen = {style, 1, black};
        d.move_to({4, y});
        d.line_to({116, y});
        d.move_to({4 + (y - 4) * 2, 20});
        d.line_to({30 + (y - 4) * 3, 56});
        y += 4;
    }
    for (int w : {2, 3, 6}) {
        d.state().pen = {PenStyle::solid, w, red};
        d.move_to({60, 20 + w * 2});
        d.line_to({110, 30 + w * 4});
    }
    EXPECT_TRUE(test::matches_golden(s, "line_styles"));
}

} // namespace
} // namespace quillet
