// Screen attributes: the measures the engine lays windows out by, the display kind from the
// screen's depth, and device colours.
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

class ScreenAttributes : public LayerTest {
protected:
    void start_with_depth(int depth) {
        xvt_app_destroy();
        host::HeadlessOptions o;
        o.screen = {800, 600};
        o.depth = depth;
        o.echo_message_boxes = false;
        xvt_detail::app.windows =
            std::make_unique<host::WindowSystem>(std::make_unique<host::HeadlessBackend>(o));
    }
    int32_t attr(XvtScreenAttr a, XvtWindow w = no_xvt_window) {
        return xp_vobj_get_attr(w, static_cast<int32_t>(a));
    }
};

TEST_F(ScreenAttributes, ScreenSizeAndFrameMeasuresComeFromTheHost) {
    start_with_depth(32);
    EXPECT_EQ(attr(XvtScreenAttr::screen_width), 800);
    EXPECT_EQ(attr(XvtScreenAttr::screen_height), 600);
    const host::Metrics& m = ws().metrics();
    EXPECT_EQ(attr(XvtScreenAttr::resize_border_width), m.sizable_border);
    EXPECT_EQ(attr(XvtScreenAttr::resize_border_height), m.sizable_border);
    EXPECT_EQ(attr(XvtScreenAttr::title_bar_height), m.caption_height);
    EXPECT_EQ(attr(XvtScreenAttr::window_background), 0xFFFFFF);
    // Controls are taller than the text they hold, edits than static text.
    EXPECT_GT(attr(XvtScreenAttr::static_text_height), 0);
    EXPECT_GT(attr(XvtScreenAttr::edit_height), attr(XvtScreenAttr::static_text_height));
    EXPECT_GT(attr(XvtScreenAttr::button_height), attr(XvtScreenAttr::static_text_height));
    EXPECT_EQ(attr(static_cast<XvtScreenAttr>(13)), 0); // not a screen attribute
}

TEST_F(ScreenAttributes, TheClientRectangleIsTheOuterOneLessTheResizeFrame) {
    // The engine recomputes a window's rectangle from its outer one with attributes 11 and 12.
    XvtWindow w = open("frame");
    uint32_t host_window = xvt_host_window(w);
    IntRect outer = ws().outer_rect(host_window);
    IntSize client = xvt_vobj_get_client_size(w);
    EXPECT_EQ(outer.bottom - attr(XvtScreenAttr::resize_border_height) - client.height,
              40); // the client top asked for
    EXPECT_EQ(outer.left + attr(XvtScreenAttr::resize_border_width), 40);
}

TEST_F(ScreenAttributes, DisplayKindFollowsTheDepth) {
    EXPECT_EQ(xvt_display_kind_of_depth(1), 0);
    EXPECT_EQ(xvt_display_kind_of_depth(4), 1);
    EXPECT_EQ(xvt_display_kind_of_depth(8), 3);
    EXPECT_EQ(xvt_display_kind_of_depth(16), 5);
    EXPECT_EQ(xvt_display_kind_of_depth(32), 5);
    start_with_depth(1);
    EXPECT_EQ(attr(XvtScreenAttr::display_kind), 0);
}

TEST_F(ScreenAttributes, NearestColoursMatchTheDisplayKind) {
    start_with_depth(1);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0xAAAAAA), 0xFFFFFFu);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0x0000AA), 0x000000u);
    start_with_depth(4);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0xFE0102), 0xFF0000u);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0x5A5A5A), 0x555555u);
    start_with_depth(32);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0x123456), 0x123456u);
    EXPECT_EQ(xp_dwin_get_nearest_color(no_xvt_window, 0x7F123456), 0x123456u);
}

TEST_F(ScreenAttributes, TheDeviceOfAWindowIsTheWindowAndOnlyAttribute26IsKept) {
    XvtWindow w = open("dc");
    EXPECT_EQ(attr(XvtScreenAttr::device_context, w), static_cast<int32_t>(w));
    EXPECT_EQ(attr(XvtScreenAttr::device_context, 12345), 0);
    xp_vobj_set_attr(w, 26, 1);
    EXPECT_EQ(attr(XvtScreenAttr::repaint_in_layout), 1);
    xp_vobj_set_attr(w, 26, 0);
    EXPECT_EQ(attr(XvtScreenAttr::repaint_in_layout), 0);
    EXPECT_TRUE(hooked_errors.empty());
    xp_vobj_set_attr(w, 24, 5); // accepted and ignored
    EXPECT_TRUE(hooked_errors.empty());
    EXPECT_EQ(attr(XvtScreenAttr::screen_height), 768);
}

} // namespace
} // namespace quillet
