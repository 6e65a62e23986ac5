#include "graphics/picture_string.h"
#include "host/raster/palettes.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A surface whose every pixel differs from its neighbours, in colours that each depth keeps.
Surface scene(int width, int height, const std::vector<Color>& colors) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set_pixel(x, y, colors[static_cast<size_t>(x * 7 + y * 3) % colors.size()]);
    return s;
}

const std::vector<Color> black_white = {0x000000, 0xFFFFFF};
const std::vector<Color> vga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
// Eight colours of the host's fixed 256-colour table, the default of 8-bit pictures.
std::vector<Color> fixed_table_colors() {
    const std::vector<Color> table = make_palette(PaletteKind::colors256);
    std::vector<Color> some;
    for (size_t i = 0; i < table.size(); i += 37)
        some.push_back(table[i]);
    return some;
}
// Colours whose 5-bit components widen back to themselves: exact in 5-5-5 too.
const std::vector<Color> coarse = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                   0x848484, 0x081042, 0xFFFFFF, 0x428410};

TEST(PictureFormat, FollowsTheColourClass) {
    EXPECT_EQ(picture_format_for_class(0, 32).bits_per_pixel, 1);
    EXPECT_EQ(picture_format_for_class(1, 32).bits_per_pixel, 4);
    EXPECT_EQ(picture_format_for_class(2, 32).bits_per_pixel, 4);
    EXPECT_EQ(picture_format_for_class(3, 32).bits_per_pixel, 8);
    EXPECT_EQ(picture_format_for_class(4, 32).bits_per_pixel, 8);
    EXPECT_EQ(picture_format_for_class(5, 32).bits_per_pixel, 32);
    EXPECT_EQ(picture_format_for_class(5, 24).bits_per_pixel, 24);
    EXPECT_EQ(picture_format_for_class(5, 16).bits_per_pixel, 16);
    EXPECT_EQ(picture_format_for_class(5, 7).bits_per_pixel, 32);
    EXPECT_EQ(picture_format_for_class(9, 32).bits_per_pixel, 24);
}

TEST(KeepPicture, EightBitTenByTenHasTheDocumentedLayout) {
    const Surface source = scene(20, 20, fixed_table_colors());
    const std::vector<uint8_t> p = keep_picture(source, {0, 0, 10, 10}, {8, {}});
    ASSERT_EQ(p.size(), 64u + 1024 + 120);
    EXPECT_EQ(u32(p, 0), 0u);
    EXPECT_EQ(u32(p, 4), 0u);
    EXPECT_EQ(u32(p, 8), 10u);
    EXPECT_EQ(u32(p, 12), 10u);
    EXPECT_EQ(u32(p, 16), 1024u);
    EXPECT_EQ(u32(p, 20), 120u);
    EXPECT_EQ(u32(p, 24), 40u);       // header size
    EXPECT_EQ(u32(p, 28), 10u);       // width
    EXPECT_EQ(u32(p, 32), 10u);       // positive height: bottom-up
    EXPECT_EQ(p[36] | p[37] << 8, 1); // planes
    EXPECT_EQ(p[38] | p[39] << 8, 8); // bits per pixel
    EXPECT_EQ(u32(p, 40), 0u);        // compression
    EXPECT_EQ(u32(p, 44), 0u);        // image size
    EXPECT_EQ(u32(p, 56), 256u);      // colours used
    EXPECT_EQ(u32(p, 60), 0u);        // colours important
    EXPECT_EQ(decode_picture(p), scene(10, 10, fixed_table_colors()));
}

TEST(KeepPicture, RoundTripsAtEveryDepth) {
    struct Case {
        int bits;
        std::vector<Color> colors;
        size_t table;
        size_t stride; // for a width of 13
    };
    const Case cases[] = {
        {1, black_white, 8, 4}, {4, vga, 64, 8},     {8, fixed_table_colors(), 1024, 16},
        {16, coarse, 0, 28},    {24, coarse, 0, 40}, {32, coarse, 0, 52}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const Surface source = scene(13, 5, c.colors);
        const std::vector<uint8_t> p = keep_picture(source, source.rect(), {c.bits, {}});
        EXPECT_EQ(p.size(), 64 + c.table + c.stride * 5);
        EXPECT_EQ(u32(p, 16), c.table);
        EXPECT_EQ(u32(p, 20), c.stride * 5);
        const PictureInfo info = read_picture_info(p);
        EXPECT_EQ(info.layout, PictureLayout::current);
        EXPECT_EQ(info.bits_per_pixel, c.bits);
        EXPECT_FALSE(info.top_down);
        EXPECT_EQ(decode_picture(p), source);
    }
}

TEST(KeepPicture, BottomUpRowsStartWithTheBottomRow) {
    Surface source(2, 3);
    source.set_pixel(0, 2, 0x123456);
    const std::vector<uint8_t> p = keep_picture(source, source.rect(), {24, {}});
    EXPECT_EQ(p[64], 0x56);
    EXPECT_EQ(p[65], 0x34);
    EXPECT_EQ(p[66], 0x12);
    const std::vector<uint8_t> down = encode_picture(source, {24, {}}, true);
    EXPECT_EQ(static_cast<int32_t>(u32(down, 32)), -3);
    EXPECT_EQ(down[64 + 2 * 8], 0x56);
    EXPECT_EQ(decode_picture(down), source);
}

TEST(KeepPicture, CallersTableIsPaddedToTheWholeDepthAndPixelsTakeTheNearest) {
    const Surface source = scene(4, 4, {0x000000, 0xFE0000, 0x0000FF});
    const std::vector<uint8_t> p = keep_picture(source, source.rect(), {4, {0xFF0000, 0x0000FF}});
    EXPECT_EQ(u32(p, 16), 64u);
    EXPECT_EQ(u32(p, 56), 16u);
    EXPECT_EQ(u32(p, 64), 0x00FF0000u); // blue, green, red, 0 of red
    const Surface back = decode_picture(p);
    EXPECT_EQ(back.pixel(0, 0), 0x000000u); // black: the padding entry
    EXPECT_EQ(back.pixel(1, 0), 0xFF0000u); // nearly red
}

TEST(KeepPicture, AreaOutsideTheSourceIsBlackAndEmptyAreasKeepNothing) {
    const Surface source(4, 4, 0xFFFFFF);
    const Surface kept = decode_picture(keep_picture(source, {2, -1, 6, 3}, {24, {}}));
    ASSERT_EQ(kept.width(), 4);
    ASSERT_EQ(kept.height(), 4);
    EXPECT_EQ(kept.pixel(0, 0), 0u);
    EXPECT_EQ(kept.pixel(0, 1), 0xFFFFFFu);
    EXPECT_EQ(kept.pixel(1, 3), 0xFFFFFFu);
    EXPECT_EQ(kept.pixel(2, 1), 0u);
    EXPECT_TRUE(keep_picture(source, {5, 5, 2, 2}, {24, {}}).empty());
    EXPECT_TRUE(keep_picture(source, {0, 0, 0, 4}, {24, {}}).empty());
}

TEST(KeepPicture, HugeAreasAreRefusedBeforeAnyAllocation) {
    const Surface source(4, 4);
    EXPECT_THROW(keep_picture(source, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {32, {}}),
                 PictureError);
    EXPECT_THROW(keep_picture(source, {0, 0, 32768, 1}, {1, {}}), PictureError);
    EXPECT_THROW(keep_picture(source, {0, 0, 9000, 9000}, {1, {}}), PictureError);
}

TEST(DecodePicture, EmptyStringIsAnEmptyPicture) {
    EXPECT_EQ(read_picture_info({}).layout, PictureLayout::empty);
    EXPECT_EQ(decode_picture({}).width(), 0);
}

TEST(DecodePicture, EveryTruncationIsRefused) {
    const Surface source = scene(5, 3, vga);
    for (int bits : {1, 4, 8, 24, 32}) {
        const std::vector<uint8_t> p = keep_picture(source, source.rect(), {bits, {}});
        for (size_t cut = 1; cut < p.size(); ++cut) {
            std::vector<uint8_t> shorter(p.begin(), p.begin() + static_cast<long>(cut));
            EXPECT_THROW(decode_picture(shorter), PictureError) << bits << " bits, " << cut;
        }
    }
}

TEST(DecodePicture, HeaderFieldsThatDoNotFitTheStringAreRefused) {
    const Surface source = scene(5, 3, fixed_table_colors());
    const std::vector<uint8_t> good = keep_picture(source, source.rect(), {8, {}});
    auto with = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> p = good;
        put32(p, at, v);
        return p;
    };
    EXPECT_THROW(decode_picture(with(24, 12)), PictureError);         // header size
    EXPECT_THROW(decode_picture(with(24, 0xFFFFFFF0)), PictureError); // header size
    EXPECT_THROW(decode_picture(with(28, 0x7FFFFFFF)), PictureError); // width
    EXPECT_THROW(decode_picture(with(28, 0x80000000)), PictureError); // negative width
    EXPECT_THROW(decode_picture(with(32, 0x80000000)), PictureError); // most negative height
    EXPECT_THROW(decode_picture(with(32, 30000)), PictureError);      // rows past the end
    EXPECT_THROW(decode_picture(with(56, 0x40000000)), PictureError); // colours used
    EXPECT_THROW(decode_picture(with(56, 257)), PictureError);        // table past the rows
    EXPECT_THROW(decode_picture(with(40, 1)), PictureError);          // compressed
    std::vector<uint8_t> depth = good;
    depth[38] = 7;
    EXPECT_THROW(decode_picture(depth), PictureError);
    // The outer fields do not describe the pixels and are not trusted.
    EXPECT_EQ(decode_picture(with(8, 0xFFFFFFFF)), source);
}

TEST(DecodePicture, ZeroBitsPerPixelIsReadAsTwentyFourBits) {
    const Surface source = scene(3, 2, coarse);
    std::vector<uint8_t> p = keep_picture(source, source.rect(), {24, {}});
    p[38] = 0;
    EXPECT_EQ(decode_picture(p), source);
}

TEST(DecodePicture, OlderLayoutHoldsDevicePixelsTopDown) {
    std::vector<uint8_t> p(12 + 2 * 2 * 4, 0);
    put32(p, 0, 2);
    put32(p, 4, 2);
    put32(p, 8, 16);
    put32(p, 12, 0x00112233);
    put32(p, 24, 0xFF445566); // the top byte is not colour
    const PictureInfo info = read_picture_info(p);
    EXPECT_EQ(info.layout, PictureLayout::older);
    const Surface s = decode_picture(p);
    EXPECT_EQ(s.pixel(0, 0), 0x112233u);
    EXPECT_EQ(s.pixel(1, 1), 0x445566u);
}

TEST(DecodePicture, OlderLayoutShortOfBytesLeavesTheRestBlackAndAbsurdSizesAreRefused) {
    std::vector<uint8_t> p(12 + 4, 0xFF);
    put32(p, 0, 3);
    put32(p, 4, 1);
    put32(p, 8, 0xFFFFFFFF); // a byte count beyond the string
    const Surface s = decode_picture(p);
    EXPECT_EQ(s.pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(s.pixel(1, 0), 0u);
    put32(p, 0, 0x7FFFFFFF);
    EXPECT_THROW(decode_picture(p), PictureError);
    put32(p, 0, 0xFFFFFFFF);
    EXPECT_THROW(decode_picture(p), PictureError);
    EXPECT_THROW(decode_picture(std::vector<uint8_t>{1, 2, 3}), PictureError);
}

} // namespace
} // namespace quillet
