// Rectangles, ellipses, arcs, pies, polygons, brushes and flood fill.
#include "golden.h"
#include "host/raster/device_context.h"

#include <climits>
#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr Color white = 0xFFFFFF, black = 0x000000, red = 0xFF0000, green = 0x00FF00,
                blue = 0x0000FF;

int count(const Surface& s, Color c) {
    int n = 0;
    for (Color p : s.pixels())
        n += p == c;
    return n;
}

// The smallest rectangle holding every pixel that is not the given colour.
IntRect painted_bounds(const Surface& s, Color background) {
    IntRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != background)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                     std::max(r.bottom, y + 1)};
    return r;
}

struct ShapeTest : ::testing::Test {
    Surface surface{120, 80, white};
    DeviceContext dc{surface};
    void tools(Pen pen, Brush brush) {
        dc.state().pen = pen;
        dc.state().brush = std::move(brush);
    }
};

TEST_F(ShapeTest, BoxFillCoversExactlyItsPixels) {
    tools({PenStyle::solid, 1, red}, Brush::solid(red));
    dc.draw_rect({0, 0, 100, 50});
    EXPECT_EQ(count(surface, red), 100 * 50);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{0, 0, 100, 50}));
    surface.fill(white);
    dc.fill_rect({10, 10, 20, 15}, Brush::solid(blue));
    EXPECT_EQ(count(surface, blue), 50);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{10, 10, 20, 15}));
}

TEST_F(ShapeTest, RectangleOutlineAndInterior) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_rect({8, 6, 2, 2}); // given backwards: normalized to (2, 2, 8, 6)
    EXPECT_EQ(test::picture(surface, {1, 1, 9, 7}, black),
              "........\n.######.\n.#....#.\n.#....#.\n.######.\n........\n");
    EXPECT_EQ(count(surface, red), 4 * 2);
    // Without a pen the brush fills one pixel less in width and in height.
    surface.fill(white);
    tools({PenStyle::none, 1, black}, Brush::solid(red));
    dc.draw_rect({2, 2, 8, 6});
    EXPECT_EQ(count(surface, red), 5 * 3);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{2, 2, 7, 5}));
    // A hollow brush leaves the inside alone.
    surface.fill(white);
    tools({PenStyle::solid, 1, black}, Brush::hollow());
    dc.draw_rect({2, 2, 8, 6});
    EXPECT_EQ(count(surface, black), 16);
    EXPECT_EQ(count(surface, white), 120 * 80 - 16);
}

TEST_F(ShapeTest, OnePixelRectanglesWithAThinPenDrawNothing) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_rect({5, 5, 6, 6});
    dc.draw_rect({9, 9, 8, 8}); // given backwards
    EXPECT_EQ(count(surface, white), 120 * 80);
    // Wider ones and a wide pen still draw.
    dc.draw_rect({10, 10, 12, 12});
    EXPECT_EQ(count(surface, black), 4);
    dc.state().pen.width = 3;
    dc.draw_rect({20, 20, 21, 21});
    EXPECT_EQ(surface.pixel(20, 20), black);
    // Without a pen a rectangle loses a column and a row, so a 1 x 1, 2 x 1 or 1 x 2 one draws
    // nothing and a 2 x 2 one a single pixel.
    tools({PenStyle::none, 1, black}, Brush::solid(red));
    dc.draw_rect({30, 30, 31, 31});
    dc.draw_rect({40, 30, 42, 31});
    dc.draw_rect({50, 30, 51, 32});
    EXPECT_EQ(count(surface, red), 0);
    dc.draw_rect({60, 30, 62, 32});
    EXPECT_EQ(count(surface, red), 1);
    EXPECT_EQ(surface.pixel(60, 30), red);
}

// The dashes of a rectangle start at its top-right pixel and run counter-clockwise on the screen,
// on round the corners.
TEST_F(ShapeTest, DashedRectanglesRunCounterClockwiseFromTheTopRight) {
    tools({PenStyle::dash, 1, red}, Brush::hollow());
    dc.state().background = blue;
    dc.draw_rect({0, 0, 30, 10});
    // Top edge, right to left: 18 on, 6 off, then on again.
    EXPECT_EQ(test::picture(surface, {0, 0, 30, 1}, red),
              std::string(6, '#') + std::string(6, '.') + std::string(18, '#') + "\n");
    // Left edge down from index 29: on to index 41 (y = 12 would be), so all of it.
    EXPECT_EQ(test::picture(surface, {0, 0, 1, 10}, red), "#\n#\n#\n#\n#\n#\n#\n#\n#\n#\n");
    // Bottom edge left to right from index 38: on to 41, off 42..47, on 48..65, off 66 and 67.
    EXPECT_EQ(test::picture(surface, {0, 9, 30, 10}, red),
              std::string(4, '#') + std::string(6, '.') + std::string(18, '#') + "..\n");
    // Right edge up from index 67 at the bottom to 72 at y = 4, then the start pixel, index 0.
    EXPECT_EQ(test::picture(surface, {29, 0, 30, 10}, red), "#\n#\n#\n#\n#\n.\n.\n.\n.\n.\n");
    EXPECT_EQ(surface.pixel(29, 9), blue); // opaque gaps
}

TEST_F(ShapeTest, HatchLinesLieWhereTheHostPutsThem) {
    dc.state().background = green;
    dc.fill_rect({0, 0, 16, 16}, Brush::hatched(Hatch::cross, blue));
    EXPECT_EQ(test::picture(surface, {0, 0, 8, 8}, blue),
              "....#...\n....#...\n....#...\n########\n....#...\n....#...\n....#...\n....#...\n");
    surface.fill(white);
    dc.fill_rect({0, 0, 16, 16}, Brush::hatched(Hatch::diagonal_cross, blue));
    EXPECT_EQ(test::picture(surface, {0, 0, 8, 8}, blue),
              "#......#\n.#....#.\n..#..#..\n...##...\n...##...\n..#..#..\n.#....#.\n#......#\n");
}

TEST_F(ShapeTest, WideOutlinesAreCentredOnTheEdge) {
    tools({PenStyle::solid, 3, black}, Brush::solid(red));
    dc.draw_rect({10, 10, 30, 20});
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{9, 9, 31, 21}));
    EXPECT_EQ(surface.pixel(11, 15), black);
    EXPECT_EQ(surface.pixel(12, 15), red);
    EXPECT_EQ(count(surface, red), 16 * 6); // inside (12, 12, 28, 18)
}

TEST_F(ShapeTest, XorFiguresMixEachPixelOnce) {
    tools({PenStyle::solid, 4, 0x00FFFF}, Brush::solid(0x00FF00));
    dc.state().rop2 = Rop2::xor_pen;
    const Surface before = surface;
    dc.draw_ellipse({5, 5, 60, 40});
    dc.draw_rect({30, 20, 90, 70});
    const IntPoint star[] = {{60, 5}, {75, 60}, {30, 25}, {90, 25}, {45, 60}};
    dc.draw_polygon(star);
    EXPECT_NE(surface, before);
    dc.draw_polygon(star);
    dc.draw_rect({30, 20, 90, 70});
    dc.draw_ellipse({5, 5, 60, 40});
    EXPECT_EQ(surface, before);
}

// Rectangles with a solid one-pixel pen or none and a solid brush are painted row by row; a round
// rectangle with no rounding is the same figure painted through its coverage. Both must give the
// same pixels for every small size, through a clip region of two pieces, copied and mixed.
TEST_F(ShapeTest, PlainRectanglesMatchTheirCoverage) {
    Surface expected{120, 80, white};
    DeviceContext edc{expected};
    const Region clip = Region(IntRect{0, 0, 120, 80}).subtracted({20, 0, 23, 80});
    for (Rop2 rop : {Rop2::copy_pen, Rop2::xor_pen})
        for (PenStyle style : {PenStyle::solid, PenStyle::none})
            for (int w = 0; w <= 5; ++w)
                for (int h = 0; h <= 5; ++h)
                    for (int x : {3, 18, 19, 20, 21, 22, 23})
                        for (DeviceContext* c : {&dc, &edc}) {
                            c->state().pen = {style, 0, red};
                            c->state().brush = Brush::solid(green);
                            c->state().rop2 = rop;
                            c->state().clip = clip;
                            IntRect r{x, 3 + 6 * h, x + w, 3 + 6 * h + h};
                            if (c == &dc) {
                                dc.draw_rect(r);
                                continue;
                            }
                            // What draw_rect does first: no pen fills one pixel less each way;
                            // a one-pixel pen draws nothing in a 1 x 1 rectangle.
                            if (style == PenStyle::none) {
                                if (w <= 1 || h <= 1) continue;
                                --r.right;
                                --r.bottom;
                            } else if (w == 1 && h == 1) {
                                continue;
                            }
                            edc.draw_round_rect(r, {0, 0});
                        }
    EXPECT_EQ(surface, expected);
    EXPECT_NE(count(surface, white), 120 * 80);
}

TEST_F(ShapeTest, EllipseFitsItsBoxWhicheverWayGiven) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_ellipse({10, 10, 50, 30});
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{10, 10, 50, 30}));
    const Surface forwards = surface;
    surface.fill(white);
    dc.draw_ellipse({50, 30, 10, 10});
    EXPECT_EQ(surface, forwards);
    // Symmetric in both axes.
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 50; ++x) {
            ASSERT_EQ(surface.pixel(x, y), surface.pixel(59 - x, y)) << x << "," << y;
            ASSERT_EQ(surface.pixel(x, y), surface.pixel(x, 39 - y)) << x << "," << y;
        }
    EXPECT_EQ(surface.pixel(30, 20), red);
    EXPECT_EQ(surface.pixel(10, 10), white);
}

TEST_F(ShapeTest, SmallEllipse) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_ellipse({0, 0, 10, 10});
    EXPECT_EQ(test::picture(surface, {0, 0, 10, 10}, black), "...####...\n"
                                                             ".##....##.\n"
                                                             ".#......#.\n"
                                                             "#........#\n"
                                                             "#........#\n"
                                                             "#........#\n"
                                                             "#........#\n"
                                                             ".#......#.\n"
                                                             ".##....##.\n"
                                                             "...####...\n");
}

TEST_F(ShapeTest, RoundRectangleCutsItsCorners) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_round_rect({10, 10, 50, 40}, {12, 12});
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{10, 10, 50, 40}));
    EXPECT_EQ(surface.pixel(10, 10), white);
    EXPECT_EQ(surface.pixel(49, 39), white);
    EXPECT_EQ(surface.pixel(30, 10), black);
    EXPECT_EQ(surface.pixel(10, 25), black);
    // A zero corner is a plain rectangle.
    Surface plain(120, 80, white);
    DeviceContext pdc(plain);
    pdc.state() = dc.state();
    pdc.draw_rect({60, 10, 100, 40});
    dc.draw_round_rect({60, 10, 100, 40}, {0, 0});
    EXPECT_EQ(surface.pixel(60, 10), black);
    for (int y = 0; y < 80; ++y)
        for (int x = 60; x < 120; ++x)
            ASSERT_EQ(surface.pixel(x, y), plain.pixel(x, y));
}

TEST_F(ShapeTest, ArcsRunCounterClockwiseFromStartToStop) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    // From the radial to the right to the radial upwards: the upper right quarter only.
    dc.draw_arc({20, 20, 60, 60}, {100, 40}, {40, 0});
    const IntRect b = painted_bounds(surface, white);
    EXPECT_GE(b.left, 40);
    EXPECT_LE(b.bottom, 41);
    EXPECT_EQ(surface.pixel(59, 39), black);
    EXPECT_EQ(surface.pixel(40, 20), black);
    EXPECT_EQ(count(surface, red), 0); // arcs never fill
    // The other way round the same points give the other three quarters.
    surface.fill(white);
    dc.draw_arc({20, 20, 60, 60}, {40, 0}, {100, 40});
    EXPECT_EQ(surface.pixel(20, 40), black);
    EXPECT_EQ(surface.pixel(40, 59), black);
    EXPECT_EQ(surface.pixel(50, 21), white);
    // Coinciding radials take the whole ellipse.
    surface.fill(white);
    dc.draw_arc({20, 20, 60, 60}, {70, 40}, {90, 40});
    Surface full(120, 80, white);
    DeviceContext fdc(full);
    fdc.state().pen = dc.state().pen;
    fdc.state().brush = Brush::hollow();
    fdc.draw_ellipse({20, 20, 60, 60});
    EXPECT_EQ(surface, full);
}

TEST_F(ShapeTest, PieFillsItsSectorOnly) {
    tools({PenStyle::solid, 1, black}, Brush::solid(red));
    dc.draw_pie({20, 20, 60, 60}, {100, 40}, {40, 0});
    EXPECT_EQ(surface.pixel(48, 32), red);   // inside the upper right quarter
    EXPECT_EQ(surface.pixel(32, 48), white); // lower left
    EXPECT_EQ(surface.pixel(32, 32), white); // upper left
    EXPECT_EQ(surface.pixel(50, 40), black); // the horizontal radial
    EXPECT_EQ(surface.pixel(40, 30), black); // the vertical radial
}

TEST_F(ShapeTest, PolygonFillsAlternateAndPenAddsTheOutline) {
    tools({PenStyle::none, 1, black}, Brush::solid(red));
    const IntPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    dc.draw_polygon(square);
    EXPECT_EQ(count(surface, red), 100);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{0, 0, 10, 10}));
    surface.fill(white);
    dc.state().pen.style = PenStyle::solid;
    dc.draw_polygon(square);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{0, 0, 11, 11}));
    EXPECT_EQ(count(surface, black), 40);
    // A five-pointed star: its centre is covered twice, so alternate filling leaves it empty.
    surface.fill(white);
    const IntPoint star[] = {{60, 5}, {75, 60}, {30, 25}, {90, 25}, {45, 60}};
    dc.draw_polygon(star);
    EXPECT_EQ(surface.pixel(60, 35), white);
    EXPECT_EQ(surface.pixel(60, 15), red);
}

TEST_F(ShapeTest, HatchGapsFollowTheBackgroundMode) {
    tools({PenStyle::none, 1, black}, Brush::hatched(Hatch::horizontal, blue));
    dc.state().background = green;
    dc.fill_rect({0, 0, 16, 16});
    EXPECT_EQ(count(surface, blue), 2 * 16);
    EXPECT_EQ(count(surface, green), 16 * 16 - 2 * 16);
    surface.fill(white);
    dc.state().background_mode = BackgroundMode::transparent;
    dc.draw_rect({0, 0, 17, 17}); // no pen: columns and rows 0 to 15
    EXPECT_EQ(count(surface, blue), 2 * 16);
    EXPECT_EQ(count(surface, white), 120 * 80 - 2 * 16);
    // Hatches are aligned to the surface, not to the figure: horizontal lines on rows 3 and 11.
    EXPECT_EQ(surface.pixel(3, 3), blue);
    EXPECT_EQ(surface.pixel(3, 11), blue);
}

TEST_F(ShapeTest, PatternBrushRepeatsFromTheOrigin) {
    auto pattern = std::make_shared<Surface>(2, 2, red);
    pattern->set_pixel(1, 0, blue);
    pattern->set_pixel(0, 1, blue);
    dc.fill_rect({3, 3, 7, 7}, Brush::with_pattern(pattern));
    EXPECT_EQ(surface.pixel(3, 3), red); // pattern pixel (1, 1)
    EXPECT_EQ(surface.pixel(4, 3), blue);
    EXPECT_EQ(surface.pixel(3, 4), blue);
    EXPECT_EQ(surface.pixel(4, 4), red);
    EXPECT_EQ(count(surface, red), 8);
    EXPECT_EQ(count(surface, blue), 8);
    // An empty pattern paints nothing.
    dc.fill_rect({10, 10, 20, 20}, Brush::with_pattern(std::make_shared<Surface>()));
    EXPECT_EQ(count(surface, white), 120 * 80 - 16);
}

TEST_F(ShapeTest, FloodFillStopsAtTheBorder) {
    tools({PenStyle::solid, 1, black}, Brush::hollow());
    dc.draw_ellipse({10, 10, 70, 60});
    dc.state().brush = Brush::solid(red);
    const Surface before = surface;
    dc.flood_fill({40, 35});
    int changed_outside = 0, filled = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            if (surface.pixel(x, y) == red)
                ++filled;
            else if (surface.pixel(x, y) != before.pixel(x, y))
                ++changed_outside;
        }
    EXPECT_EQ(changed_outside, 0);
    EXPECT_GT(filled, 2000);
    EXPECT_EQ(surface.pixel(5, 5), white);
    EXPECT_EQ(surface.pixel(100, 70), white);
    EXPECT_EQ(painted_bounds(surface, white), (IntRect{10, 10, 70, 60}));
    // Filling again with the region's own colour changes nothing and ends.
    const Surface filled_once = surface;
    dc.flood_fill({40, 35});
    EXPECT_EQ(surface, filled_once);
}

TEST_F(ShapeTest, FloodFillKeepsToTheClipAndTerminatesWithGaps) {
    dc.state().brush = Brush::solid(red);
    dc.state().clip = IntRect{10, 10, 20, 20};
    dc.flood_fill({15, 15});
    EXPECT_EQ(count(surface, red), 100);
    dc.flood_fill({50, 50}); // the seed is outside the clip
    EXPECT_EQ(count(surface, red), 100);
    dc.state().clip.reset();
    dc.state().brush = Brush::hatched(Hatch::cross, blue);
    dc.state().background_mode = BackgroundMode::transparent;
    dc.flood_fill({50, 50});
    EXPECT_EQ(surface.pixel(50, 50), white);
    EXPECT_EQ(surface.pixel(52, 48), blue);
    EXPECT_EQ(surface.pixel(15, 15), red);
}

TEST_F(ShapeTest, HostileFiguresAreClipped) {
    tools({PenStyle::solid, 5, black}, Brush::solid(red));
    dc.draw_rect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(count(surface, red), 120 * 80);
    dc.draw_ellipse({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    dc.draw_round_rect({INT_MIN, 0, INT_MAX, 50}, {INT_MIN, INT_MAX});
    dc.draw_pie({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MIN}, {INT_MIN, 7});
    dc.draw_arc({-5, -5, -5, -5}, {0, 0}, {0, 0});
    const IntPoint wild[] = {{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}, {5, 5}};
    dc.draw_polygon(wild);
    dc.fill_rect({INT_MAX, INT_MAX, INT_MIN, INT_MIN});
    dc.state().clip = IntRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    dc.draw_rect({-10, -10, 10, 10});
    EXPECT_EQ(dc.clip_rect(), surface.rect());
    SUCCEED(); // no crash, no sanitizer report
}

TEST(ShapesGolden, Figures) {
    Surface s(240, 160, white);
    DeviceContext dc(s);
    dc.state().pen = {PenStyle::solid, 1, black};
    dc.state().brush = Brush::solid(0xFFCC00);
    dc.draw_rect({5, 5, 55, 35});
    dc.draw_round_rect({65, 5, 115, 35}, {16, 12});
    dc.draw_ellipse({125, 5, 175, 35});
    dc.draw_ellipse({185, 5, 235, 75});
    dc.draw_arc({5, 45, 55, 95}, {55, 70}, {5, 45});
    dc.draw_pie({65, 45, 115, 95}, {115, 45}, {65, 95});
    const IntPoint star[] = {{150, 42}, {166, 95}, {124, 62}, {176, 62}, {134, 95}};
    dc.draw_polygon(star);
    dc.state().pen = {PenStyle::solid, 4, 0x0000AA};
    dc.state().brush = Brush::solid(0x88CCFF);
    dc.draw_rect({10, 110, 60, 150});
    dc.draw_ellipse({75, 110, 135, 150});
    dc.draw_pie({145, 105, 195, 155}, {195, 130}, {170, 105});
    dc.state().pen = {PenStyle::dash, 1, 0xAA0000};
    dc.state().brush = Brush::hollow();
    dc.draw_ellipse({200, 100, 236, 156});
    EXPECT_TRUE(test::matches_golden(s, "figures"));
}

TEST(ShapesGolden, Hatches) {
    Surface s(200, 70, white);
    DeviceContext dc(s);
    dc.state().pen = {PenStyle::solid, 1, black};
    dc.state().background = 0xFFFFAA;
    const Hatch hatches[] = {Hatch::horizontal,        Hatch::vertical, Hatch::forward_diagonal,
                             Hatch::backward_diagonal, Hatch::cross,    Hatch::diagonal_cross};
    for (int i = 0; i < 6; ++i) {
        dc.state().brush = Brush::hatched(hatches[i], 0x0000CC);
        dc.state().background_mode = BackgroundMode::opaque;
        dc.draw_rect({5 + i * 32, 5, 33 + i * 32, 33});
        dc.state().background_mode = BackgroundMode::transparent;
        dc.draw_ellipse({5 + i * 32, 37, 33 + i * 32, 65});
    }
    EXPECT_TRUE(test::matches_golden(s, "hatches"));
}

} // namespace
} // namespace quillet
