#include "graphics/clipboard_picture.h"
#include "graphics/picture_string.h"
#include "host/raster/dib.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

Surface scene(int width, int height) {
    const std::vector<Color> colors = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set_pixel(x, y, colors[static_cast<size_t>(x * 7 + y * 3) % colors.size()]);
    return s;
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool same_pixels(const Surface& a, const Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

TEST(ClipboardPicture, EveryDepthGoesThereAndBackWhole) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> picture = encode_picture(scene(5, 3), PictureFormat{bits, {}});
        const std::vector<uint8_t> bitmap = clipboard_bitmap_of_picture(picture);
        EXPECT_EQ(bitmap, std::vector<uint8_t>(picture.begin() + 24, picture.end()));
        EXPECT_EQ(picture_of_clipboard_bitmap(bitmap), picture);
    }
}

TEST(ClipboardPicture, TailsBeyondTheRowsAreNotPartOfThePicture) {
    std::vector<uint8_t> picture = encode_picture(scene(3, 2), PictureFormat{24, {}});
    const size_t whole = picture.size();
    picture.resize(whole + 7, 0xAB);
    const std::vector<uint8_t> bitmap = clipboard_bitmap_of_picture(picture);
    EXPECT_EQ(bitmap.size(), whole - 24);
    std::vector<uint8_t> long_bitmap = bitmap;
    long_bitmap.resize(bitmap.size() + 40, 0xCD);
    EXPECT_EQ(picture_of_clipboard_bitmap(long_bitmap).size(), whole);
}

TEST(ClipboardPicture, OlderPicturesBecomeTwentyFourBitBitmaps) {
    // 2 x 1 pixels as the screen holds them: red, green.
    const std::vector<uint8_t> older = {2, 0, 0, 0, 1,    0, 0, 0,    8, 0,
                                        0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
    const std::vector<uint8_t> bitmap = clipboard_bitmap_of_picture(older);
    EXPECT_EQ(read_dib_info(bitmap).bits_per_pixel, 24);
    EXPECT_TRUE(same_pixels(decode_dib(bitmap), decode_picture(older)));
}

TEST(ClipboardPicture, ATableLeftUncountedIsTheWholeTable) {
    // Colours-used 0 at 8 bits means all 256 entries: the picture's table size says so.
    std::vector<uint8_t> picture = encode_picture(scene(4, 2), PictureFormat{8, {}});
    put32(picture, 24 + 32, 0);
    const std::vector<uint8_t> back =
        picture_of_clipboard_bitmap(clipboard_bitmap_of_picture(picture));
    EXPECT_EQ(back[16] | back[17] << 8, 1024);
    EXPECT_TRUE(same_pixels(decode_picture(back), decode_picture(picture)));
}

TEST(ClipboardPicture, CorruptBitmapsAreRefused) {
    const std::vector<uint8_t> good =
        clipboard_bitmap_of_picture(encode_picture(scene(3, 2), PictureFormat{24, {}}));
    EXPECT_THROW(picture_of_clipboard_bitmap({}), PictureError);
    EXPECT_THROW(picture_of_clipboard_bitmap(std::span(good).first(30)), PictureError);
    EXPECT_THROW(picture_of_clipboard_bitmap(std::span(good).first(good.size() - 1)), PictureError);
    std::vector<uint8_t> bad = good;
    put32(bad, 0, 0xFFFFFFF0); // header size
    EXPECT_THROW(picture_of_clipboard_bitmap(bad), PictureError);
    bad = good;
    bad[14] = 7; // bits per pixel
    EXPECT_THROW(picture_of_clipboard_bitmap(bad), PictureError);
    bad = good;
    put32(bad, 4, 0x7FFFFFFF); // width
    EXPECT_THROW(picture_of_clipboard_bitmap(bad), PictureError);
}

TEST(ClipboardPicture, CorruptPicturesAreRefusedAndTheEmptyOneIsEmpty) {
    EXPECT_TRUE(clipboard_bitmap_of_picture({}).empty());
    std::vector<uint8_t> picture = encode_picture(scene(3, 2), PictureFormat{24, {}});
    EXPECT_THROW(clipboard_bitmap_of_picture(std::span(picture).first(40)), PictureError);
    EXPECT_THROW(clipboard_bitmap_of_picture(std::span(picture).first(picture.size() - 1)),
                 PictureError);
    picture[24 + 14] = 9;
    EXPECT_THROW(clipboard_bitmap_of_picture(picture), PictureError);
}

} // namespace
} // namespace quillet
