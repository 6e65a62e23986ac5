// Drawing through the layer on headless windows: the tools record and what it selects, drawing
// modes, pen styles, hatches, text on its baseline, clips, invalidation, and a golden scene.
#include "host/golden.h"
#include "xvt/window_drawing.h"
#include "xvt_test_support.h"

#include <cstring>

namespace quillet {
namespace {

using namespace xvt_test;

constexpr Color red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF;

class Drawing : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        window = open("Drawing");
        ASSERT_NE(window, no_xvt_window);
    }
    const Surface& picture() { return *ws().surface(xvt_host_window(window)); }
    Color at(int x, int y) { return picture().pixel(x, y); }
    DrawTools tools(Color pen, Color brush, int32_t mode = xvt_draw_mode::copy) {
        DrawTools t;
        t.pen_color = pen;
        t.brush_color = brush;
        t.mode = mode;
        return t;
    }
    XvtWindow window = no_xvt_window;
};

TEST_F(Drawing, ToolsAreReadBackWholeAndSelectPenAndBrush) {
    DrawTools t = tools(red, blue);
    t.pen_width = 3;
    t.text_color = green;
    t.background = 0x123456;
    t.opaque_text = 1;
    xp_dwin_set_draw_ctools(window, t);
    DrawTools back;
    xp_dwin_get_draw_ctools(window, back);
    EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0);

    xp_dwin_clear(window, white);
    xp_dwin_draw_rect(window, {10, 10, 40, 30});
    EXPECT_EQ(at(10, 20), red); // three-pixel pen centred on the edge
    EXPECT_EQ(at(11, 20), red);
    EXPECT_EQ(at(25, 20), blue); // brush inside
    EXPECT_EQ(at(45, 20), white);
}

TEST_F(Drawing, StandardPenOutsideZeroAndOneIsRefusedAndKeepsThePen) {
    xp_dwin_set_draw_ctools(window, tools(red, white));
    xp_dwin_set_std_cpen(window, 2);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].api, "xp_dwin_set_std_cpen");
    EXPECT_EQ(hooked_errors[0].category, "dwin");
    xp_dwin_clear(window, white);
    xp_dwin_draw_set_pos(window, {0, 5});
    xp_dwin_draw_line(window, {20, 5});
    EXPECT_EQ(at(10, 5), red);

    xp_dwin_set_std_cpen(window, 0);
    xp_dwin_set_std_cbrush(window, 0);
    xp_dwin_draw_rect(window, {30, 30, 40, 40});
    EXPECT_EQ(at(30, 35), 0u);
    EXPECT_EQ(at(35, 35), 0u);
    xp_dwin_set_std_cbrush(window, -1);
    EXPECT_EQ(hooked_errors.size(), 2u);
    // The record stays as it was set.
    DrawTools back;
    xp_dwin_get_draw_ctools(window, back);
    EXPECT_EQ(back.pen_color, red);
}

TEST_F(Drawing, ModesMixThePenWithTheWindow) {
    struct Case {
        int32_t mode;
        Color expected; // red pen over green
    } cases[] = {{0, red},   {1, 0x000000}, {2, 0xFFFF00}, {3, white}, {4, 0x00FFFF},
                 {5, white}, {6, 0x0000FF}, {7, 0x000000}, {42, red}};
    for (const Case& c : cases) {
        xp_dwin_clear(window, green);
        DrawTools t = tools(red, red, c.mode);
        t.brush_pattern = 1; // hollow: only the outline
        xp_dwin_set_draw_ctools(window, t);
        xp_dwin_draw_rect(window, {10, 10, 30, 30});
        EXPECT_EQ(at(10, 20), c.expected) << "mode " << c.mode;
        EXPECT_EQ(at(20, 20), green) << "mode " << c.mode;
    }
}

TEST_F(Drawing, PenPatternsAndStyles) {
    auto row = [this](int32_t pattern, int32_t style) {
        xp_dwin_clear(window, white);
        DrawTools t = tools(0, white);
        t.pen_pattern = pattern;
        t.pen_style = style;
        xp_dwin_set_draw_ctools(window, t);
        xp_dwin_draw_set_pos(window, {0, 4});
        xp_dwin_draw_line(window, {40, 4});
        std::string dots;
        for (int x = 0; x < 24; ++x)
            dots += at(x, 4) == 0 ? '#' : '.';
        return dots;
    };
    EXPECT_EQ(row(2, 0), std::string(24, '#'));
    EXPECT_EQ(row(1, 0), std::string(24, '.')); // hollow: no pen
    const std::string dotted = row(9, 0);
    EXPECT_EQ(dotted, row(2, 1));
    EXPECT_NE(dotted.find('.'), std::string::npos);
    const std::string dashed = row(2, 2);
    EXPECT_NE(dashed, dotted);
    EXPECT_NE(dashed.find("###"), std::string::npos);
    EXPECT_NE(dashed.find('.'), std::string::npos);
}

TEST_F(Drawing, BrushPatternsHollowSolidAndHatched) {
    auto fill = [this](int32_t pattern) {
        xp_dwin_clear(window, white);
        DrawTools t = tools(white, red);
        t.pen_pattern = 1;
        t.brush_pattern = pattern;
        xp_dwin_set_draw_ctools(window, t);
        xp_dwin_draw_rect(window, {0, 0, 16, 16});
        return test::picture(picture(), {0, 0, 16, 16}, red);
    };
    for (int32_t hollow : {0, 1, 10})
        EXPECT_EQ(fill(hollow).find('#'), std::string::npos) << hollow;
    // Without a pen the box is filled one pixel less in width and in height, as the host does.
    std::string solid;
    for (int y = 0; y < 16; ++y)
        solid += y < 15 ? std::string(15, '#') + ".\n" : std::string(16, '.') + "\n";
    EXPECT_EQ(fill(2), solid);
    const std::string horizontal = fill(3), vertical = fill(4);
    EXPECT_NE(horizontal, vertical);
    EXPECT_NE(horizontal.find('#'), std::string::npos);
    EXPECT_NE(horizontal.find('.'), std::string::npos);
    // Each hatch is the host's own.
    for (int32_t pattern = 3; pattern <= 8; ++pattern) {
        std::string through_layer = fill(pattern);
        Surface direct(16, 16, white);
        DeviceContext dc(direct);
        dc.state().background_mode = BackgroundMode::transparent;
        dc.fill_rect({0, 0, 15, 15}, Brush::hatched(static_cast<Hatch>(pattern - 3), red));
        EXPECT_EQ(through_layer, test::picture(direct, {0, 0, 16, 16}, red)) << pattern;
    }
}

TEST_F(Drawing, TextSitsOnItsBaselineOpaqueOrTransparent) {
    xp_dwin_clear(window, green);
    DrawTools t = tools(0, white);
    t.text_color = blue;
    t.background = red;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_text(window, 10, 40, "Hg", -1);
    // The same text drawn by the host on its baseline.
    Surface direct(picture().width(), picture().height(), green);
    DeviceContext dc(direct);
    dc.state().font = ws().ui_font();
    dc.state().text_color = blue;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.draw_text({10, 40}, "Hg", TextAlign::baseline);
    EXPECT_EQ(picture(), direct);
    EXPECT_EQ(test::picture(picture(), picture().rect(), red).find('#'), std::string::npos);

    int32_t leading = -1, ascent = 0, descent = 0;
    xp_dwin_get_font_metrics(window, &leading, &ascent, &descent);
    EXPECT_GT(ascent, 0);
    EXPECT_GE(leading, 0);
    const int32_t width = xp_dwin_get_text_width(window, std::string_view("Hg\0xx", 5), -1);
    EXPECT_EQ(width, ws().ui_font()->text_extent("Hg").width);

    t.opaque_text = 1;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_clear(window, green);
    xp_dwin_draw_text(window, 10, 40, "Hg", 2);
    // The cell from an ascent above the baseline to a descent below it takes the background.
    EXPECT_EQ(at(10, 40 - ascent), red);
    EXPECT_EQ(at(10 + width - 1, 40 + descent - 1), red);
    EXPECT_EQ(at(10, 40 - ascent - 1), green);
    EXPECT_EQ(at(10 + width, 40), green);
}

TEST_F(Drawing, TheBackColourFillsOpaqueTextAndIsReadBackWithTheTools) {
    DrawTools t = tools(0, white);
    t.text_color = blue;
    t.background = red;
    t.opaque_text = 1;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_set_back_color(window, 0xFF00FF00); // the byte above the colour is not kept
    DrawTools read{};
    xp_dwin_get_draw_ctools(window, read);
    EXPECT_EQ(read.background, green);
    EXPECT_EQ(read.pen_color, t.pen_color); // the rest stays
    xp_dwin_clear(window, white);
    xp_dwin_draw_text(window, 10, 40, "Hg", -1);
    int32_t leading = 0, ascent = 0, descent = 0;
    xp_dwin_get_font_metrics(window, &leading, &ascent, &descent);
    EXPECT_EQ(at(10, 40 - ascent), green);
    EXPECT_EQ(test::picture(picture(), picture().rect(), red).find('#'), std::string::npos);
    XvtWindow menus_only = open("Menus", 5);
    xp_dwin_set_back_color(menus_only, red);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].api, "xp_dwin_set_back_color");
}

TEST_F(Drawing, AnAmpersandIsDrawnAsItselfNotAsAMnemonicMark) {
    xp_dwin_clear(window, white);
    DrawTools t = tools(0, white);
    t.text_color = blue;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_text(window, 10, 40, "A&B", -1);
    Surface direct(picture().width(), picture().height(), white);
    DeviceContext dc(direct);
    dc.state().font = ws().ui_font();
    dc.state().text_color = blue;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.draw_text({10, 40}, "A&B", TextAlign::baseline);
    EXPECT_EQ(picture(), direct);
    EXPECT_EQ(xp_dwin_get_text_width(window, "A&B", -1), ws().ui_font()->text_extent("A&B").width);
    EXPECT_GT(xp_dwin_get_text_width(window, "A&B", -1), xp_dwin_get_text_width(window, "AB", -1));
}

TEST_F(Drawing, TextArgumentsAreChecked) {
    xp_dwin_draw_text(window, 0, 20, "abc", 4);
    EXPECT_EQ(xp_dwin_get_text_width(window, "abc", 9), 0);
    xp_dwin_get_font_metrics(window, nullptr, nullptr, nullptr);
    ASSERT_EQ(hooked_errors.size(), 3u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000004u);
    EXPECT_EQ(hooked_errors[2].id, 0x20000003u);
}

TEST_F(Drawing, OnlyDrawingWindowsAreDrawnOn) {
    XvtWindow menus_only = open("Menus", 5);
    xp_dwin_clear(menus_only, red);
    XvtWindow gone = open("Gone");
    xp_vobj_destroy(gone);
    xp_dwin_draw_line(gone, {1, 1});
    xp_dwin_draw_rect(0x7FFF1234, {0, 0, 1, 1});
    ASSERT_EQ(hooked_errors.size(), 3u);
    for (const ErrorRecord& e : hooked_errors) {
        EXPECT_EQ(e.id, 0x20000001u);
        EXPECT_EQ(e.category, "dwin");
    }
    EXPECT_EQ(hooked_errors[0].api, "xp_dwin_clear");
}

TEST_F(Drawing, ClipLimitsDrawingAndReadsBackTheClientAreaWhenNone) {
    IntRect clip;
    xp_dwin_get_clip(window, clip);
    EXPECT_EQ(clip, (IntRect{0, 0, 200, 150}));
    IntRect client;
    xp_vobj_get_client_rect(window, client);
    EXPECT_EQ(client, clip);

    xp_dwin_clear(window, white);
    xp_dwin_set_draw_ctools(window, tools(red, red));
    IntRect small{10, 10, 20, 20};
    xp_dwin_set_clip(window, &small);
    xp_dwin_draw_rect(window, {0, 0, 50, 50});
    EXPECT_EQ(at(15, 15), red);
    EXPECT_EQ(at(25, 25), white);
    xp_dwin_get_clip(window, clip);
    EXPECT_EQ(clip, small);
    xp_dwin_clear(window, blue); // clearing fills the whole client area
    EXPECT_EQ(at(100, 100), blue);
    xp_dwin_set_clip(window, nullptr);
    xp_dwin_get_clip(window, clip);
    EXPECT_EQ(clip, (IntRect{0, 0, 200, 150}));
}

TEST_F(Drawing, ArrowLinesEndInOpenHeadsAndMoveThePen) {
    xp_dwin_clear(window, white);
    xp_dwin_set_draw_ctools(window, tools(0, white));
    xp_dwin_draw_aline(window, {20, 50}, {120, 50}, xvt_arrow::at_to);
    // Barbs 8 pixels long at 30 degrees, from the tip to 7 back and 4 out.
    EXPECT_EQ(at(117, 48), 0u);
    EXPECT_EQ(at(117, 52), 0u);
    EXPECT_EQ(at(23, 48), white); // no head at the start
    xp_dwin_draw_aline(window, {20, 80}, {120, 80}, xvt_arrow::at_from | xvt_arrow::at_to);
    EXPECT_EQ(at(23, 78), 0u);
    EXPECT_EQ(at(23, 82), 0u);
    xp_dwin_draw_line(window, {120, 100}); // from the pen position the arrow line left
    EXPECT_EQ(at(120, 90), 0u);
}

TEST_F(Drawing, InvalidationPaintsAndScrollingInvalidatesWhatItUncovers) {
    drain();
    events.clear();
    IntRect area{5, 6, 25, 36};
    xp_dwin_invalidate_rect(window, &area);
    drain();
    ASSERT_EQ(of_kind(EventKind::update).size(), 1u);

    xp_dwin_clear(window, white);
    xp_dwin_set_draw_ctools(window, tools(red, red));
    xp_dwin_draw_rect(window, {0, 0, 10, 10});
    events.clear();
    xp_dwin_scroll_rect(window, {0, 0, 100, 100}, 20, 0);
    EXPECT_EQ(at(25, 5), red);
    drain();
    ASSERT_EQ(of_kind(EventKind::update).size(), 1u);

    XvtWindow pixmap = xp_pmap_create(window, 0, 10, 10);
    xp_dwin_scroll_rect(pixmap, {0, 0, 5, 5}, 1, 1);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
}

TEST_F(Drawing, SceneMatchesItsGolden) {
    xp_dwin_clear(window, white);
    DrawTools t = tools(0x000080, 0xFFFF00);
    t.pen_width = 2;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_rect(window, {8, 8, 60, 40});
    xp_dwin_draw_roundrect(window, {70, 8, 130, 40}, 16, 12);
    t.brush_pattern = xvt_brush_pattern::diagonal_cross;
    t.brush_color = 0x008000;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_oval(window, {140, 8, 192, 40});
    t.pen_width = 1;
    t.brush_pattern = xvt_brush_pattern::solid;
    t.brush_color = 0xFF8080;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_pie(window, {8, 50, 60, 100}, {60, 75}, {34, 50});
    xp_dwin_draw_arc(window, {70, 50, 130, 100}, {130, 75}, {70, 75});
    const IntPoint star[] = {{160, 50}, {172, 95}, {140, 65}, {180, 65}, {148, 95}};
    xp_dwin_draw_polygon(window, star);
    t.pen_style = 2;
    xp_dwin_set_draw_ctools(window, t);
    const IntPoint zigzag[] = {{8, 110}, {30, 130}, {50, 110}, {70, 130}};
    xp_dwin_draw_polyline(window, zigzag);
    xp_dwin_draw_aline(window, {90, 120}, {150, 120}, xvt_arrow::at_from | xvt_arrow::at_to);
    t.text_color = 0x800000;
    t.background = 0xC0C0C0;
    t.opaque_text = 1;
    xp_dwin_set_draw_ctools(window, t);
    xp_dwin_draw_text(window, 8, 146, "Quillet", -1);
    EXPECT_TRUE(test::matches_golden(picture(), "xvt_drawing_scene"));
}

} // namespace
} // namespace quillet
