// Device-independent bitmaps: round trips at every depth and orientation, the exact layout, and
// refusal of malformed headers and truncated data.
#include "golden.h"
#include "host/raster/dib.h"
#include "host/raster/palettes.h"
#include "host/raster/raster_error.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace quillet {
namespace {

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void set_u32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}
void set_u16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    std::memcpy(b.data() + at, &v, 2);
}

// A surface whose colours all survive the given depth with the given palette.
Surface sample(int w, int h, int bpp, const std::vector<Color>& palette, uint32_t seed) {
    std::mt19937 random(seed);
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Color c = random() & color_mask;
            if (bpp <= 8) c = palette[random() % palette.size()];
            if (bpp == 16) {
                auto five = [](uint8_t v) { return uint8_t((v & 0xF8) | (v >> 5)); };
                c = make_color(five(red_of(c)), five(green_of(c)), five(blue_of(c)));
            }
            s.set_pixel(x, y, c);
        }
    return s;
}

TEST(Dib, RoundTripsAtEveryDepthAndOrientation) {
    std::vector<Color> many;
    for (int i = 0; i < 200; ++i)
        many.push_back(Color(i * 0x010305 + 0x203040) & color_mask);
    const std::vector<Color> palettes[] = {
        {0x000000, 0xFFFFFF}, make_palette(PaletteKind::named16), many};
    for (int bpp : {1, 4, 8, 16, 24, 32})
        for (bool top_down : {false, true})
            for (auto [w, h] : {std::pair{13, 5}, {1, 1}, {32, 3}, {7, 0}}) {
                DibFormat format;
                format.bits_per_pixel = bpp;
                format.top_down = top_down;
                if (bpp <= 8) format.palette = palettes[bpp == 1 ? 0 : bpp == 4 ? 1 : 2];
                const Surface s = sample(w, h, bpp, format.palette, uint32_t(bpp * 100 + w));
                const std::vector<uint8_t> dib = encode_dib(s, s.rect(), format);
                const DibInfo info = read_dib_info(dib);
                EXPECT_EQ(info.top_down, top_down && h > 0);
                EXPECT_EQ(info.stride % 4, 0u);
                EXPECT_EQ(dib.size(), info.bits_offset + info.image_bytes);
                // An empty area gives an empty bitmap.
                const Surface expected = h > 0 ? s : Surface();
                EXPECT_EQ(decode_dib(dib), expected) << bpp << " bits, " << w << " x " << h
                                                     << (top_down ? " top-down" : " bottom-up");
            }
}

TEST(Dib, LayoutOfAnEightBitPicture) {
    Surface s(10, 10, 0xFFFFFF);
    s.set_pixel(0, 0, 0x000000); // top left
    DibFormat format{8, false, make_palette(PaletteKind::colors256)};
    const std::vector<uint8_t> dib = encode_dib(s, s.rect(), format);
    EXPECT_EQ(dib.size(), 40u + 1024u + 12u * 10u);
    EXPECT_EQ(u32_at(dib, 0), 40u);
    EXPECT_EQ(u32_at(dib, 4), 10u);
    EXPECT_EQ(u32_at(dib, 8), 10u); // positive: bottom-up
    EXPECT_EQ(u32_at(dib, 32), 256u);
    // The top row is stored last; black is entry 1 of the table, white entry 0.
    EXPECT_EQ(dib[40 + 1024 + 9 * 12], 1);
    EXPECT_EQ(dib[40 + 1024], 0);
    // Area export is clipped to the surface.
    EXPECT_EQ(read_dib_info(encode_dib(s, {5, 5, 100, 100}, format)).width, 5);
}

std::vector<uint8_t> header(int w, int h, int bpp, uint32_t compression = 0, uint32_t colors = 0) {
    std::vector<uint8_t> b(40, 0);
    set_u32(b, 0, 40);
    set_u32(b, 4, uint32_t(w));
    set_u32(b, 8, uint32_t(h));
    set_u16(b, 12, 1);
    set_u16(b, 14, uint16_t(bpp));
    set_u32(b, 16, compression);
    set_u32(b, 32, colors);
    return b;
}

TEST(Dib, DecodesHandBuiltBitmaps) {
    // 2 x 2 at 24 bits, bottom-up: the first stored row is the bottom one.
    std::vector<uint8_t> d = header(2, 2, 24);
    const uint8_t rows[] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    d.insert(d.end(), rows, rows + sizeof rows);
    Surface s = decode_dib(d);
    EXPECT_EQ(s.pixel(0, 1), 0xFF0000u);
    EXPECT_EQ(s.pixel(1, 1), 0x00FF00u);
    EXPECT_EQ(s.pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(s.pixel(1, 0), 0xFFFFFFu);

    // 16 bits with 5-6-5 masks, top-down.
    std::vector<uint8_t> m = header(1, 1, 16, 3);
    m.resize(52);
    set_u32(m, 40, 0xF800);
    set_u32(m, 44, 0x07E0);
    set_u32(m, 48, 0x001F);
    m.insert(m.end(), {0xE0, 0x07, 0, 0}); // pure green
    EXPECT_EQ(decode_dib(m).pixel(0, 0), 0x00FF00u);

    // 32 bits ignore the fourth byte; indexes beyond the table are black.
    std::vector<uint8_t> x = header(1, 1, 32);
    x.insert(x.end(), {0x10, 0x20, 0x30, 0xFF});
    EXPECT_EQ(decode_dib(x).pixel(0, 0), 0x302010u);
    std::vector<uint8_t> i = header(2, 1, 8, 0, 1);
    i.insert(i.end(), {0x40, 0x50, 0x60, 0, 0, 5, 0, 0});
    const Surface indexed = decode_dib(i);
    EXPECT_EQ(indexed.pixel(0, 0), 0x605040u);
    EXPECT_EQ(indexed.pixel(1, 0), 0u);

    // Header and rows apart, as a bitmap file keeps them.
    const std::vector<uint8_t> h1 = header(8, 1, 1, 0, 2);
    std::vector<uint8_t> h1t = h1;
    h1t.insert(h1t.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    const uint8_t bits[] = {0xA5, 0, 0, 0};
    const Surface mono = decode_dib(h1t, bits);
    EXPECT_EQ(mono.pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(mono.pixel(1, 0), 0u);
    EXPECT_EQ(mono.pixel(7, 0), 0xFFFFFFu);
}

void expect_refused(const std::vector<uint8_t>& d, const char* what) {
    try {
        decode_dib(d);
        ADD_FAILURE() << what << " was accepted";
    } catch (const RasterError& e) {
        EXPECT_EQ(e.code(), RasterErrorCode::bad_bitmap) << what;
    }
}

TEST(Dib, RefusesMalformedBitmaps) {
    std::vector<uint8_t> good = header(3, 3, 24);
    good.resize(40 + 12 * 3);
    EXPECT_NO_THROW(decode_dib(good));

    expect_refused({}, "an empty buffer");
    expect_refused(std::vector<uint8_t>(good.begin(), good.begin() + 39), "a truncated header");
    expect_refused(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated rows");
    auto with = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> d = good;
        set_u32(d, at, v);
        return d;
    };
    expect_refused(with(0, 12), "a core header");
    expect_refused(with(0, 1000), "a header longer than the data");
    expect_refused(with(4, uint32_t(-3)), "a negative width");
    expect_refused(with(4, 0x7FFFFFFF), "a huge width");
    expect_refused(with(8, 0x80000000), "the most negative height");
    expect_refused(with(8, 100000), "a huge height");
    expect_refused(with(8, 20000), "more rows than the data holds");
    expect_refused(header(4, 4, 2), "2 bits per pixel");
    expect_refused(header(4, 4, 0), "0 bits per pixel");
    expect_refused(header(4, 4, 8, 1), "run-length compression");
    expect_refused(header(4, 4, 24, 3), "bit masks on 24 bits");
    expect_refused(header(4, 4, 16, 3), "missing bit masks");
    expect_refused(header(4, 4, 8, 0, 0xFFFFFFFF), "a colour count beyond the data");
    expect_refused(header(4, 4, 8), "a missing colour table");
}

TEST(Dib, MutatedBitmapsNeverReadOutside) {
    DibFormat format{8, false, make_palette(PaletteKind::named16)};
    const std::vector<uint8_t> valid = encode_dib(Surface(9, 7, 0xBBBBBB), {0, 0, 9, 7}, format);
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> d = valid;
        for (int k = 0; k < 3; ++k)
            d[random() % 44] = static_cast<uint8_t>(random());
        d.resize(random() % (d.size() + 1));
        try {
            const Surface s = decode_dib(d);
            EXPECT_LE(int64_t{s.width()} * s.height(), max_surface_pixels);
        } catch (const RasterError& e) {
            EXPECT_EQ(e.code(), RasterErrorCode::bad_bitmap);
        }
    }
}

TEST(Dib, EncodingRefusesImpossibleFormats) {
    const Surface s(4, 4);
    EXPECT_THROW(encode_dib(s, s.rect(), {2, false, {}}), RasterError);
    EXPECT_THROW(encode_dib(s, s.rect(), {4, false, make_palette(PaletteKind::stock)}),
                 RasterError);
    // Default palettes serve when none is given.
    EXPECT_EQ(read_dib_info(encode_dib(s, s.rect(), {4, false, {}})).colors, 16u);
}

} // namespace
} // namespace quillet
