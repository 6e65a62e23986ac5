// BOX KEEP and BOX SHOW on pixmaps: the picture kept from a rectangle, shown again in each raster
// mode, placed by its bottom-left pixel and clipped, with the clip put back.
#include "ui/pictures.h"
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

TEST(PictureModes, FollowTheTruthTableOfSourceAndDestination) {
    // Mode m's bits, lowest first, are the results for (S, D) = (1,1), (1,0), (0,1), (0,0).
    for (int32_t mode = 0; mode < 16; ++mode) {
        const uint8_t index = rop3_table(picture_raster_op(mode));
        for (int s = 0; s < 2; ++s)
            for (int d = 0; d < 2; ++d) {
                const int want = (mode >> (3 - (2 * s + d))) & 1;
                const Color got = apply_rop3(index, 0, s ? color_mask : 0, d ? color_mask : 0);
                EXPECT_EQ(got != 0, want == 1) << "mode " << mode << " S " << s << " D " << d;
            }
    }
    EXPECT_EQ(picture_raster_op(16), rop3::src_copy);
    EXPECT_EQ(picture_raster_op(-1), rop3::src_copy);
}

class Pictures : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        target.window = xp_pmap_create(no_xvt_window, 0, 40, 30);
        xp_dwin_clear(target.window, 0xFFFFFF);
    }
    Color at(int x, int y) { return xvt_pmap_surface(target.window)->pixel(x, y); }
    DrawingTarget target;
    const PictureFormat format = picture_format_for_class(color_class::true_color, 32);
};

TEST_F(Pictures, KeptPixelsComeBackAtTheirBottomLeftPoint) {
    fill_box(target, {0, 0, 10, 10}, 0xFF0000);
    fill_box(target, {0, 9, 10, 10}, 0x0000FF);
    const std::vector<uint8_t> picture = keep_window_picture(target, {0, 0, 10, 10}, format);
    ASSERT_EQ(picture.size(), 64u + 400u);
    show_picture(target, {20, 19}, {0, 0, 40, 30}, picture, 3);
    EXPECT_EQ(at(20, 10), 0xFF0000u);
    EXPECT_EQ(at(29, 19), 0x0000FFu);
    EXPECT_EQ(at(30, 19), 0xFFFFFFu);
    EXPECT_EQ(at(20, 20), 0xFFFFFFu);
    show_picture(target, {20, 19}, {0, 0, 40, 30}, picture, 6); // xor with itself
    EXPECT_EQ(at(25, 15), 0u);
}

TEST_F(Pictures, ShowingIsClippedAndTheClipIsPutBack) {
    const IntRect own_clip{1, 1, 39, 29};
    xp_dwin_set_clip(target.window, &own_clip);
    const Surface red(4, 4, 0xFF0000);
    show_picture(target, {0, 3}, {2, 2, 3, 3}, encode_picture(red, format), 3);
    EXPECT_EQ(at(2, 2), 0xFF0000u);
    EXPECT_EQ(at(1, 1), 0xFFFFFFu);
    EXPECT_EQ(at(3, 3), 0xFFFFFFu);
    IntRect clip;
    xp_dwin_get_clip(target.window, clip);
    EXPECT_EQ(clip, own_clip);
}

TEST_F(Pictures, EmptyAndMalformedPicturesDrawNothing) {
    const Surface before = *xvt_pmap_surface(target.window);
    show_picture(target, {0, 10}, {0, 0, 40, 30}, {}, 0);
    const std::vector<uint8_t> truncated(20, 0);
    EXPECT_THROW(show_picture(target, {0, 10}, {0, 0, 40, 30}, truncated, 0), PictureError);
    EXPECT_EQ(*xvt_pmap_surface(target.window), before);
}

TEST_F(Pictures, PicturesPlacedAtTheEndsOfTheCoordinateRangeDrawNothing) {
    const Surface before = *xvt_pmap_surface(target.window);
    const std::vector<uint8_t> red = encode_picture(Surface(4, 4, 0xFF0000), format);
    for (const IntPoint at :
         {IntPoint{INT32_MAX, 3}, IntPoint{INT32_MAX - 2, 3}, IntPoint{0, INT32_MAX},
          IntPoint{0, INT32_MIN}, IntPoint{INT32_MIN, INT32_MIN + 1}})
        show_picture(target, at, {0, 0, 40, 30}, red, 3);
    EXPECT_EQ(*xvt_pmap_surface(target.window), before);
    // Just inside the range on the left and top, the picture's visible corner is drawn.
    show_picture(target, {-3, 0}, {0, 0, 40, 30}, red, 3);
    EXPECT_EQ(at(0, 0), 0xFF0000u);
    EXPECT_EQ(at(1, 0), 0xFFFFFFu);
    EXPECT_EQ(at(0, 1), 0xFFFFFFu);
}

TEST_F(Pictures, ReversedAreasKeepNothingAndHugeOnesAreRefused) {
    EXPECT_TRUE(keep_window_picture(target, {10, 10, 0, 0}, format).empty());
    EXPECT_THROW(keep_window_picture(target, {0, 0, 100000, 100000}, format), PictureError);
}

} // namespace
} // namespace quillet
