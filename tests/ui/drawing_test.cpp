// Drawing primitives of program windows, on pixmaps of the layer (the same operations reach
// windows): which pixels lines, boxes, fills, points and text regions cover, and the colour search.
#include "ui/drawing.h"
#include "ui/keys_and_mouse.h"
#include "xvt_test_support.h"

#include <vector>

namespace quillet {
namespace {

using namespace xvt_test;

class Drawing : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        target.window = xp_pmap_create(no_xvt_window, 0, 40, 30);
        ASSERT_NE(target.window, no_xvt_window);
        xp_dwin_clear(target.window, white);
        DrawTools t;
        t.pen_color = red;
        t.brush_color = blue;
        xp_dwin_set_draw_ctools(target.window, t);
    }
    const Surface& picture(XvtWindow w) { return *xvt_pmap_surface(w); }
    // The pixels of the colour, in reading order.
    std::vector<IntPoint> pixels_of(XvtWindow w, Color c) {
        std::vector<IntPoint> out;
        const Surface& s = picture(w);
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.pixel(x, y) == c) out.push_back({x, y});
        return out;
    }
    static constexpr Color white = 0xFFFFFF, red = 0xFF0000, blue = 0x0000FF, green = 0x00FF00;
    DrawingTarget target;
};

TEST(LineExtension, FollowsTheSlopeClasses) {
    EXPECT_EQ(extended_line_end({5, 5}, {5, 5}), (IntPoint{6, 5}));     // one pixel
    EXPECT_EQ(extended_line_end({10, 0}, {0, 0}), (IntPoint{-1, 0}));   // right to left
    EXPECT_EQ(extended_line_end({0, 0}, {0, 7}), (IntPoint{0, 8}));     // vertical down
    EXPECT_EQ(extended_line_end({0, 7}, {0, 0}), (IntPoint{0, -1}));    // vertical up
    EXPECT_EQ(extended_line_end({0, 0}, {10, 5}), (IntPoint{11, 6}));   // slope 0.5: diagonal
    EXPECT_EQ(extended_line_end({0, 5}, {10, 0}), (IntPoint{11, 0}));   // slope -0.5: horizontal
    EXPECT_EQ(extended_line_end({0, 0}, {5, 10}), (IntPoint{5, 11}));   // slope 2: vertical
    EXPECT_EQ(extended_line_end({0, 10}, {5, 0}), (IntPoint{5, -1}));   // slope -2: vertical
    EXPECT_EQ(extended_line_end({0, 0}, {10, 4}), (IntPoint{11, 4}));   // shallow
    EXPECT_EQ(extended_line_end({0, 10}, {10, 0}), (IntPoint{11, -1})); // slope -1: diagonal
    EXPECT_EQ(extended_line_end({0, 0}, {INT32_MAX, 0}), (IntPoint{INT32_MAX, 0}));
}

TEST(Narrowing, SaturatesInsteadOfWrapping) {
    EXPECT_EQ(narrow16(70000), 32767);
    EXPECT_EQ(narrow16(-70000), -32768);
    EXPECT_EQ(narrow16(-5), -5);
    EXPECT_EQ(narrow_rect(0, 0, 65536, 65537), (IntRect{0, 0, 32767, 32767}));
}

TEST_F(Drawing, LinesCoverBothEndsAndWidePensAreNotExtended) {
    draw_line(target, {5, 5}, {5, 5}, 1);
    EXPECT_EQ(pixels_of(target.window, red), (std::vector<IntPoint>{{5, 5}}));
    xp_dwin_clear(target.window, white);
    draw_line(target, {10, 0}, {0, 0}, 1);
    EXPECT_EQ(pixels_of(target.window, red).size(), 11u);
    xp_dwin_clear(target.window, white);
    draw_line(target, {3, 20}, {3, 20}, 2); // a wide pen's empty line draws nothing
    EXPECT_TRUE(pixels_of(target.window, red).empty());
}

TEST_F(Drawing, TheSameDrawingReachesTheBackingPixmap) {
    target.pixmap = xp_pmap_create(no_xvt_window, 0, 40, 30);
    xp_dwin_clear(target.pixmap, white);
    DrawTools t;
    t.pen_color = red;
    xp_dwin_set_draw_ctools(target.pixmap, t);
    draw_line(target, {1, 2}, {8, 2}, 1);
    EXPECT_EQ(picture(target.window), picture(target.pixmap));
    EXPECT_EQ(pixels_of(target.pixmap, red).size(), 8u);
}

TEST_F(Drawing, BoxFillUsesTheColourOrTheBrushAndPutsTheToolsBack) {
    fill_box(target, {0, 0, 10, 5}, green);
    EXPECT_EQ(pixels_of(target.window, green).size(), 50u);
    DrawTools after;
    xp_dwin_get_draw_ctools(target.window, after);
    EXPECT_EQ(after.pen_color, red);
    EXPECT_EQ(after.brush_color, blue);
    xp_dwin_clear(target.window, white);
    DrawTools hollow = after;
    hollow.brush_pattern = xvt_brush_pattern::hollow;
    xp_dwin_set_draw_ctools(target.window, hollow);
    fill_box(target, {2, 2, 6, 6}, std::nullopt); // the brush colour, solid; the pen outlines
    EXPECT_EQ(pixels_of(target.window, blue).size(), 4u);
    EXPECT_EQ(pixels_of(target.window, red).size(), 12u);
    xp_dwin_get_draw_ctools(target.window, after);
    EXPECT_EQ(after.brush_pattern, xvt_brush_pattern::hollow);
}

TEST(WholeWindow, NeedsEveryEdgeCovered) {
    EXPECT_TRUE(covers_whole_window(0, 0, 99, 49, {100, 50}));
    EXPECT_TRUE(covers_whole_window(-5, -5, 500, 500, {100, 50}));
    EXPECT_FALSE(covers_whole_window(0, 0, 98, 49, {100, 50}));
    EXPECT_FALSE(covers_whole_window(1, 0, 99, 49, {100, 50}));
}

TEST_F(Drawing, FloodFillStaysInItsRegionAndClipAndRestoresTheClip) {
    fill_box(target, {10, 0, 11, 30}, red); // a wall at x = 10
    flood_fill(target, {2, 2}, {0, 0, 40, 20}, green);
    EXPECT_EQ(pixels_of(target.window, green).size(), 10u * 20u);
    IntRect clip;
    xp_dwin_get_clip(target.window, clip);
    EXPECT_EQ(clip, (IntRect{0, 0, 40, 30}));
    // A seed outside the clip fills nothing.
    flood_fill(target, {30, 25}, {0, 0, 40, 20}, blue);
    EXPECT_TRUE(pixels_of(target.window, blue).empty());
}

TEST_F(Drawing, EllipseBoxesInEitherOrderDrawTheSame) {
    EXPECT_FALSE(draw_ellipse(target, {5, 5, 5, 20}, {0, 0, 40, 30}));
    EXPECT_TRUE(pixels_of(target.window, red).empty());
    ASSERT_TRUE(draw_ellipse(target, {2, 3, 30, 25}, {0, 0, 40, 30}));
    const Surface forward = picture(target.window);
    xp_dwin_clear(target.window, white);
    ASSERT_TRUE(draw_ellipse(target, {30, 25, 2, 3}, {0, 0, 40, 30}));
    EXPECT_EQ(picture(target.window), forward);
    xp_dwin_clear(target.window, white);
    draw_ellipse(target, {2, 3, 30, 25}, {0, 0, 16, 30}); // clipped to the left half
    for (IntPoint p : pixels_of(target.window, red))
        EXPECT_LT(p.x, 16);
}

TEST_F(Drawing, PointsPolylinesAndPolygons) {
    const std::vector<IntPoint> points{{1, 1}, {5, 1}, {5, 5}};
    draw_points(target, 0, points);
    EXPECT_EQ(pixels_of(target.window, red), points);
    xp_dwin_clear(target.window, white);
    draw_points(target, 3, points);
    draw_points(target, 1, {});
    EXPECT_TRUE(pixels_of(target.window, red).empty());
    draw_points(target, 1, points);
    EXPECT_EQ(pixels_of(target.window, red).size(), 8u); // the last point is left out
    draw_points(target, 2, std::vector<IntPoint>{{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    EXPECT_FALSE(pixels_of(target.window, blue).empty());
}

TEST(TextCells, RectangleOfRowsAndColumns) {
    const CellMetrics m{8, 16, 12, 3, 1};
    EXPECT_EQ(text_cell_rect(m, 1, 1, 1, 10), (IntRect{0, 3, 80, 19}));
    EXPECT_EQ(text_cell_rect(m, 2, 3, 4, 5), (IntRect{16, 19, 40, 67}));
    EXPECT_EQ(text_cell_rect(m, INT32_MAX, 1, INT32_MAX, INT32_MAX).right, 32767);
}

TEST_F(Drawing, ClearAndScrollTextRegions) {
    fill_box(target, {0, 0, 40, 10}, green);
    clear_region(target, {0, 0, 40, 5}, white);
    EXPECT_EQ(pixels_of(target.window, green).size(), 40u * 5u);
    DrawTools t;
    xp_dwin_get_draw_ctools(target.window, t);
    EXPECT_EQ(t.pen_color, red);
    // Up by one line of 5 pixels: rows 5..9 move to 0..4 (a pixmap alone, as before a window
    // is first shown).
    target.pixmap = target.window;
    target.window = no_xvt_window;
    scroll_region(target, {0, 0, 40, 10}, 1, 5);
    for (IntPoint p : pixels_of(target.pixmap, green))
        EXPECT_LT(p.y, 10);
    EXPECT_EQ(picture(target.pixmap).pixel(0, 0), green);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST(ColourSearch, ExactOnTrueColourWithinFourOnHighColour) {
    const std::vector<Color> table{0x000000, 0x0000AA, 0x10FF10, 0x14FB14, 0xFFFFFF};
    EXPECT_EQ(find_colour_number(table, 0x0000AA, 32), 1);
    EXPECT_EQ(find_colour_number(table, 0x0000AB, 32), -1);
    EXPECT_EQ(find_colour_number(table, 0x0000AB, 24), -1);
    EXPECT_EQ(find_colour_number(table, 0x0000AD, 16), 1);
    EXPECT_EQ(find_colour_number(table, 0x0000AF, 16), -1);
    EXPECT_EQ(find_colour_number(table, 0x14FB14, 16), 2); // the lowest within 4
    EXPECT_EQ(find_colour_number(table, 0x14FB14, 8), 3);
    EXPECT_EQ(find_colour_number(table, 0x0000AB, 12), -1); // other high-colour depths: exact
    // Entries snapped to the device carry a top byte that the search ignores.
    const std::vector<Color> snapped{0x1000AA00};
    EXPECT_EQ(find_colour_number(snapped, 0x00AA00, 32), 0);
}

TEST(MouseState, PressAndReleaseAreReportedOnce) {
    int32_t state = 2;
    EXPECT_EQ(take_mouse_state(state), 2);
    EXPECT_EQ(take_mouse_state(state), 1);
    state = 4;
    EXPECT_EQ(take_mouse_state(state), 4);
    EXPECT_EQ(state, 1);
    state = 3;
    EXPECT_EQ(take_mouse_state(state), 3);
    EXPECT_EQ(take_mouse_state(state), 0);
    EXPECT_EQ(take_mouse_state(state), 0);
}

} // namespace
} // namespace quillet
