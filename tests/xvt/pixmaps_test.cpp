// Pixmaps through the layer: their pictures, drawing on them, and block transfers in each
// drawing mode.
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

class Pixmaps : public LayerTest {};

TEST_F(Pixmaps, ClearingFillsExactlyTheWidthAndHeight) {
    XvtWindow pixmap = xp_pmap_create(no_xvt_window, 0, 30, 20);
    ASSERT_NE(pixmap, no_xvt_window);
    EXPECT_EQ(xp_vobj_get_type(pixmap), 8);
    const Surface* picture = xvt_pmap_surface(pixmap);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(*picture, Surface(30, 20, 0)); // black at first
    xp_dwin_clear(pixmap, 0xFF0000);
    EXPECT_EQ(*picture, Surface(30, 20, 0xFF0000));
    IntRect client, clip;
    xp_vobj_get_client_rect(pixmap, client);
    xp_dwin_get_clip(pixmap, clip);
    EXPECT_EQ(client, (IntRect{0, 0, 30, 20}));
    EXPECT_EQ(clip, client);
}

TEST_F(Pixmaps, BlockTransfersFollowTheWindowsDrawingMode) {
    XvtWindow source = xp_pmap_create(no_xvt_window, 0, 4, 4);
    xp_dwin_clear(source, 0x00FF00);
    XvtWindow target = xp_pmap_create(no_xvt_window, 0, 4, 4);
    struct Case {
        int32_t mode;
        Color expected; // green source over 0xFF0080
    } cases[] = {{0, 0x00FF00}, {1, 0xFFFF80}, {2, 0xFFFF80}, {3, 0xFFFFFF},
                 {4, 0xFF00FF}, {5, 0x00007F}, {6, 0x00FF00}, {7, 0x00FF00}};
    const IntRect all{0, 0, 4, 4};
    for (const Case& c : cases) {
        xp_dwin_clear(target, 0xFF0080);
        DrawTools t;
        t.mode = c.mode;
        xp_dwin_set_draw_ctools(target, t);
        xp_dwin_draw_pmap(target, source, &all, &all);
        EXPECT_EQ(xvt_pmap_surface(target)->pixel(2, 2), c.expected) << "mode " << c.mode;
    }
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Pixmaps, CopiesReachWindowsStretched) {
    XvtWindow window = open("Pixmaps");
    XvtWindow pixmap = xp_pmap_create(window, 0, 2, 2);
    xp_dwin_clear(pixmap, 0x0000FF);
    DrawTools t;
    t.pen_color = 0xFF0000;
    xp_dwin_set_draw_ctools(pixmap, t);
    xp_dwin_draw_set_pos(pixmap, {0, 0});
    xp_dwin_draw_line(pixmap, {2, 0}); // top row red
    xp_dwin_clear(window, 0xFFFFFF);
    const IntRect dest{10, 10, 30, 30}, source{0, 0, 2, 2};
    xp_dwin_draw_pmap(window, pixmap, &dest, &source);
    const Surface& picture = *ws().surface(xvt_host_window(window));
    EXPECT_EQ(picture.pixel(15, 15), 0xFF0000u);
    EXPECT_EQ(picture.pixel(25, 25), 0x0000FFu);
    EXPECT_EQ(picture.pixel(30, 30), 0xFFFFFFu);
}

TEST_F(Pixmaps, BadArgumentsAreReportedAndStalePixmapsRefused) {
    XvtWindow window = open("Pixmaps");
    XvtWindow pixmap = xp_pmap_create(window, 0, 8, 8);
    const IntRect r{0, 0, 8, 8};
    xp_dwin_draw_pmap(window, pixmap, nullptr, &r);
    EXPECT_EQ(xp_pmap_create(window, 0, 0, 8), no_xvt_window);
    EXPECT_EQ(xp_pmap_create(window, 0, 40000, 40000), no_xvt_window);
    xp_pmap_destroy(window); // not a pixmap
    xp_pmap_destroy(pixmap);
    xp_dwin_clear(pixmap, 0);
    xp_dwin_draw_pmap(window, pixmap, &r, &r);
    ASSERT_EQ(hooked_errors.size(), 6u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].api, "xp_dwin_draw_pmap");
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[1].category, "pmap");
    EXPECT_EQ(hooked_errors[2].id, 0x20000006u);
    EXPECT_EQ(hooked_errors[3].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[4].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[5].id, 0x20000001u);
    EXPECT_EQ(xvt_pmap_surface(pixmap), nullptr);
}

} // namespace
} // namespace quillet
