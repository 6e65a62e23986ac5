// Pictures drawn on a window of the windowing layer (here a pixmap, which takes drawing alike).
#include "graphics/draw_picture.h"
#include "graphics/picture_string.h"
#include "xvt/xvt_test_support.h"

namespace quillet {
namespace {

class DrawPicture : public xvt_test::LayerTest {};

TEST_F(DrawPicture, StretchesIntoTheInclusiveRectangle) {
    XvtWindow pixmap = xp_pmap_create(no_xvt_window, 0, 8, 8);
    Surface two(2, 1, 0xFF0000);
    two.set_pixel(1, 0, 0x0000FF);
    EXPECT_TRUE(draw_picture(pixmap, encode_picture(two, {8, {0xFF0000, 0x0000FF}}), {5, 3, 2, 2}));
    const Surface& s = *xvt_pmap_surface(pixmap);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Color want = y < 2 || y > 3 || x < 2 || x > 5 ? 0x000000
                               : x < 4                          ? 0xFF0000
                                                                : 0x0000FF;
            EXPECT_EQ(s.pixel(x, y), want) << x << ", " << y;
        }
}

TEST_F(DrawPicture, EmptyAndMalformedPicturesDrawNothing) {
    XvtWindow pixmap = xp_pmap_create(no_xvt_window, 0, 4, 4);
    const std::vector<uint8_t> picture = encode_picture(Surface(2, 2, 0xFFFFFF), {24, {}});
    EXPECT_FALSE(draw_picture(pixmap, {}, {0, 0, 3, 3}));
    EXPECT_FALSE(draw_picture(pixmap, std::span(picture).first(picture.size() - 1), {0, 0, 3, 3}));
    EXPECT_FALSE(draw_picture(pixmap, encode_picture(Surface(0, 0), {24, {}}), {0, 0, 3, 3}));
    EXPECT_EQ(*xvt_pmap_surface(pixmap), Surface(4, 4, 0));
    // Far outside the window and the 32-bit range: clipped, no crash.
    EXPECT_TRUE(draw_picture(pixmap, picture, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
}

} // namespace
} // namespace quillet
