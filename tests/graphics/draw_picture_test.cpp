// Pictures drawn on a window of the windowing layer (here a pixmap, which takes drawing alike),
// and image files read for the layer's screen, with the palettes they bring.
#include "graphics/draw_picture.h"
#include "graphics/picture_string.h"
#include "graphics/read_image.h"
#include "xvt/xvt_test_support.h"

#include <algorithm>
#include <optional>

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

class ReadImage : public xvt_test::LayerTest {
protected:
    void start_screen(int depth) {
        xvt_app_destroy();
        host::HeadlessOptions o;
        o.depth = depth;
        o.echo_message_boxes = false;
        xvt_detail::app.windows =
            std::make_unique<host::WindowSystem>(std::make_unique<host::HeadlessBackend>(o));
        xvt_errmsg_set_hook(xvt_test::record_error);
    }
    static std::string image(const std::string& name) {
        return std::string(QUILLET_TEST_IMAGES) + "/" + name;
    }
    static XvtPalette second_word(const std::vector<uint8_t>& picture) {
        return uint32_t{picture[4]} | uint32_t{picture[5]} << 8 | uint32_t{picture[6]} << 16 |
               uint32_t{picture[7]} << 24;
    }
    static std::vector<Color> colours_of(XvtPalette palette) {
        std::vector<Color> colours(static_cast<size_t>(xp_palet_size(palette)));
        colours.resize(static_cast<size_t>(xp_palet_get_colors(palette, colours)));
        return colours;
    }
    static bool holds(const std::vector<Color>& colours, Color c) {
        return std::find(colours.begin(), colours.end(), c & color_mask) != colours.end();
    }
};

TEST_F(ReadImage, JpegFollowsTheScreensColourClass) {
    start_screen(4);
    EXPECT_EQ(screen_color_class(), color_class::colors16);
    PictureInfo info = read_picture_info(read_image("", image("photo.jpg"), false));
    EXPECT_EQ(info.bits_per_pixel, 8);
    EXPECT_LE(info.colors, 16u);
    start_screen(8);
    info = read_picture_info(read_image("JPEG", image("photo.jpg"), false));
    EXPECT_EQ(info.bits_per_pixel, 8);
    start_screen(32);
    EXPECT_EQ(read_picture_info(read_image("", image("photo.jpg"), false)).bits_per_pixel, 24);
    EXPECT_EQ(read_image("", image("missing.bmp"), false, true), std::vector<uint8_t>{});
    EXPECT_THROW(read_image("", image("missing.bmp"), false), ImageFileError);
    EXPECT_TRUE(xvt_test::hooked_errors.empty());
}

// A wanted palette is a user palette (the start-up copy of the system palette) with the
// picture's colours added: the colour table's, or every pixel's.
TEST_F(ReadImage, AWantedPaletteHoldsThePicturesColoursAndItsHandleIsTheSecondWord) {
    start_screen(8);
    const std::vector<uint8_t> plain = read_image("", image("palette8.bmp"), false);
    EXPECT_EQ(second_word(plain), 0u);
    const std::vector<uint8_t> bmp = read_image("", image("palette8.bmp"), true);
    const XvtPalette palette = second_word(bmp);
    ASSERT_NE(palette, 0u);
    EXPECT_TRUE(std::all_of(bmp.begin(), bmp.begin() + 4, [](uint8_t b) { return b == 0; }));
    const PictureInfo info = read_picture_info(plain);
    ASSERT_GT(info.colors, 0u);
    const std::vector<Color> colours = colours_of(palette);
    EXPECT_GE(colours.size(), 256u);
    for (size_t i = 0; i < info.colors; ++i) {
        const uint8_t* entry = plain.data() + picture_prefix_size + 4 * i;
        EXPECT_TRUE(holds(colours, make_color(entry[2], entry[1], entry[0]))) << i;
    }
    EXPECT_EQ(decode_picture(bmp, SecondWord::palette), decode_picture(plain));

    start_screen(32);
    const std::vector<uint8_t> photo = read_image("", image("photo.jpg"), true);
    const Surface pixels = decode_picture(photo, SecondWord::palette);
    const std::vector<Color> every = colours_of(second_word(photo));
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            EXPECT_TRUE(holds(every, pixels.pixel(x, y))) << x << ", " << y;
    EXPECT_TRUE(xvt_test::hooked_errors.empty());
}

TEST_F(ReadImage, AnImagePictureOwnsItsPaletteAndACopyGetsItsOwn) {
    start_screen(8);
    std::optional<ImagePicture> held =
        ImagePicture::of_image_file(read_image("", image("palette4.bmp"), true));
    const XvtPalette palette = held->palette();
    ASSERT_NE(palette, 0u);
    const std::vector<uint8_t> string = held->picture_string();
    EXPECT_EQ(second_word(string), 0u);
    EXPECT_EQ(held->info().width, read_picture_info(string).width);
    EXPECT_EQ(held->decode(), decode_picture(string));
    {
        const ImagePicture copy = *held;
        EXPECT_NE(copy.palette(), palette);
        EXPECT_EQ(colours_of(copy.palette()), colours_of(palette));
        EXPECT_EQ(copy.picture_string(), string);
        held.reset();
        EXPECT_EQ(xvt_detail::app.palettes.find(palette), nullptr);
        EXPECT_NE(xvt_detail::app.palettes.find(copy.palette()), nullptr);
    }
    // A program's picture string is kept as it stands, its second word included.
    const std::vector<uint8_t> older = {1, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0xFF, 0};
    const ImagePicture given = ImagePicture::of_string(older);
    EXPECT_EQ(given.palette(), 0u);
    EXPECT_EQ(given.picture_string(), older);
    EXPECT_EQ(given.decode().pixel(0, 0), 0xFF0000u);
    EXPECT_TRUE(xvt_test::hooked_errors.empty());
    // The layer's session may end before the picture does.
    std::optional<ImagePicture> late =
        ImagePicture::of_image_file(read_image("", image("palette4.bmp"), true));
    xvt_app_destroy();
    late.reset();
}

} // namespace
} // namespace quillet
