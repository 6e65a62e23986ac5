// Fonts and text: the Windows family mapping, point sizes at 96 dpi, metrics, extents and
// drawing. The Liberation fonts (Debian package fonts-liberation2) are required: without them
// these tests fail and say so, rather than measure some other face.
#include "golden.h"
#include "host/raster/device_context.h"
#include "host/raster/raster_error.h"
#include "host/text/fonts.h"

#include <climits>
#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr Color white = 0xFFFFFF, black = 0x000000;

struct FontTest : ::testing::Test {
    static FontLibrary& library() {
        static FontLibrary fonts;
        return fonts;
    }
    std::shared_ptr<const Font> open(const std::string& family, int height, int weight = 400,
                                     bool italic = false, bool underline = false,
                                     bool strike_out = false) {
        try {
            return library().open({family, height, weight, italic, underline, strike_out});
        } catch (const RasterError& e) {
            ADD_FAILURE() << e.what()
                          << " -- these tests need the Liberation fonts (fonts-liberation2)";
            return nullptr;
        }
    }
};

// Rows and columns that hold ink.
IntRect ink_bounds(const Surface& s, Color ink) {
    IntRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) == ink)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                     std::max(r.bottom, y + 1)};
    return r;
}

TEST(FontMapping, WindowsFamiliesMapToLiberation) {
    EXPECT_EQ(FontLibrary::mapped_family("fixed"), "Liberation Mono");
    EXPECT_EQ(FontLibrary::mapped_family("FIXED"), "Liberation Mono");
    EXPECT_EQ(FontLibrary::mapped_family("Courier New"), "Liberation Mono");
    EXPECT_EQ(FontLibrary::mapped_family("arial"), "Liberation Sans");
    EXPECT_EQ(FontLibrary::mapped_family("Helv"), "Liberation Sans");
    EXPECT_EQ(FontLibrary::mapped_family("HELVETICA"), "Liberation Sans");
    EXPECT_EQ(FontLibrary::mapped_family("System"), "Liberation Sans");
    EXPECT_EQ(FontLibrary::mapped_family("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(FontLibrary::mapped_family("DejaVu Sans"), "DejaVu Sans");
}

TEST(FontMapping, PointsAt96Dpi) {
    EXPECT_EQ(points_to_height(12), -16);
    EXPECT_EQ(points_to_height(10), -13);
    EXPECT_EQ(points_to_height(9), -12);
    EXPECT_EQ(points_to_height(1), -1);
    EXPECT_EQ(points_to_height(72), -96);
}

TEST_F(FontTest, MappedFamiliesAreTheLiberationFaces) {
    for (auto [requested, face] : {std::pair{"Courier New", "Liberation Mono"},
                                   {"fixed", "Liberation Mono"},
                                   {"Arial", "Liberation Sans"},
                                   {"helvetica", "Liberation Sans"},
                                   {"Times New Roman", "Liberation Serif"}}) {
        auto font = open(requested, -16);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->family(), face) << requested;
    }
}

TEST_F(FontTest, MetricsOfTwelvePointFaces) {
    auto sans = open("Arial", points_to_height(12));
    ASSERT_TRUE(sans);
    const FontMetrics& m = sans->metrics();
    EXPECT_EQ(m.height, 18);
    EXPECT_EQ(m.ascent, 15);
    EXPECT_EQ(m.descent, 3);
    EXPECT_EQ(m.internal_leading, 2);
    EXPECT_EQ(m.external_leading, 1);
    EXPECT_EQ(m.average_char_width, 7);
    EXPECT_EQ(m.height, m.ascent + m.descent);

    auto mono = open("Courier New", -16);
    ASSERT_TRUE(mono);
    const int w = mono->char_width('i');
    EXPECT_EQ(w, mono->metrics().average_char_width);
    for (int c = 32; c < 127; ++c)
        ASSERT_EQ(mono->char_width(uint8_t(c)), w) << char(c);
    EXPECT_EQ(mono->text_extent("Hello, world"), (IntSize{12 * w, mono->metrics().height}));
    EXPECT_EQ(mono->metrics().height, 18);

    // A positive height asks for the cell height: 18 is the same font as -16.
    auto cell = open("Arial", 18);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->metrics().ascent, 15);
    EXPECT_EQ(cell->text_extent("Quillet"), sans->text_extent("Quillet"));
}

TEST_F(FontTest, BoldAndItalicFacesAndTheCache) {
    auto regular = open("Arial", -16);
    auto bold = open("Arial", -16, 700);
    auto italic = open("Arial", -16, 400, true);
    ASSERT_TRUE(regular && bold && italic);
    EXPECT_EQ(bold->metrics().weight, 700);
    EXPECT_GT(bold->text_extent("Weight").width, regular->text_extent("Weight").width);
    EXPECT_TRUE(italic->metrics().italic);
    EXPECT_EQ(open("Arial", -16, 700).get(), bold.get());
    EXPECT_NE(open("Arial", -16, 700, false, true).get(), bold.get());
}

TEST_F(FontTest, MissingStylesAreSynthesized) {
    // A face with no bold or italic of its own, when the system has one.
    auto plain = open("DejaVu Math TeX Gyre", -16);
    ASSERT_TRUE(plain);
    if (plain->family() != "DejaVu Math TeX Gyre") GTEST_SKIP() << "no single-style face here";
    auto bold = open("DejaVu Math TeX Gyre", -16, 700, true);
    ASSERT_TRUE(bold);
    Surface a(40, 30, white), b(40, 30, white);
    DeviceContext da(a), db(b);
    da.state().font = plain;
    db.state().font = bold;
    da.draw_text({2, 2}, "Hl", TextAlign::top);
    db.draw_text({2, 2}, "Hl", TextAlign::top);
    int ink_a = 0, ink_b = 0;
    for (Color c : a.pixels())
        ink_a += c == black;
    for (Color c : b.pixels())
        ink_b += c == black;
    EXPECT_GT(ink_b, ink_a);
    EXPECT_GT(ink_bounds(b, black).right, ink_bounds(a, black).right);
}

TEST_F(FontTest, UnknownFamiliesGoToFontconfig) {
    auto font = open("No Such Family Anywhere", -16);
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->family().empty());
    EXPECT_GT(font->metrics().height, 0);
}

TEST_F(FontTest, AbsurdSizesAreBounded) {
    for (int h : {INT_MIN, INT_MAX, -100000, 1, -1}) {
        auto font = open("Arial", h);
        ASSERT_TRUE(font);
        EXPECT_GE(font->metrics().height, 1) << h;
        EXPECT_LE(font->metrics().height, 2048) << h;
    }
}

TEST_F(FontTest, BaselineAndTopAlignment) {
    auto font = open("Arial", -16);
    ASSERT_TRUE(font);
    Surface s(60, 40, white);
    DeviceContext dc(s);
    dc.state().font = font;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.draw_text({5, 0}, "H", TextAlign::top);
    EXPECT_EQ(ink_bounds(s, black).bottom, font->metrics().ascent); // H sits on the baseline
    s.fill(white);
    dc.draw_text({5, 30}, "H", TextAlign::baseline);
    const IntRect h = ink_bounds(s, black);
    EXPECT_EQ(h.bottom, 30);
    EXPECT_GE(h.left, 5);
    EXPECT_LE(h.right, 5 + font->char_width('H'));
}

TEST_F(FontTest, OpaqueBackgroundFillsTheTextCell) {
    auto font = open("Courier New", -16);
    ASSERT_TRUE(font);
    Surface s(100, 40, white);
    DeviceContext dc(s);
    dc.state().font = font;
    dc.state().background = 0x00FF00;
    dc.state().text_color = 0x0000FF;
    dc.draw_text({10, 20}, "abc", TextAlign::baseline);
    const int w = font->text_extent("abc").width;
    IntRect cell{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            if (s.pixel(x, y) != white)
                cell = {std::min(cell.left, x), std::min(cell.top, y), std::max(cell.right, x + 1),
                        std::max(cell.bottom, y + 1)};
    EXPECT_EQ(cell,
              (IntRect{10, 20 - font->metrics().ascent, 10 + w, 20 + font->metrics().descent}));
    EXPECT_EQ(dc.text_extent("abc").width, w);
}

TEST_F(FontTest, UnderlineAndStrikeOutSpanTheText) {
    auto font = open("Arial", -16, 400, false, true, true);
    ASSERT_TRUE(font);
    Surface s(120, 40, white);
    DeviceContext dc(s);
    dc.state().font = font;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.draw_text({4, 25}, "a b", TextAlign::baseline);
    const int w = font->text_extent("a b").width;
    const int under = 25 + font->underline_offset(), strike = 25 + font->strike_out_offset();
    EXPECT_GT(under, 25 - 1);
    EXPECT_LT(strike, 25);
    for (int x = 4; x < 4 + w; ++x) {
        EXPECT_EQ(s.pixel(x, under), black) << x;
        EXPECT_EQ(s.pixel(x, strike), black) << x;
    }
    EXPECT_EQ(s.pixel(3, under), white);
    EXPECT_EQ(s.pixel(4 + w, under), white);
}

TEST_F(FontTest, TextAnywhereIsClipped) {
    auto font = open("Times New Roman", -40);
    ASSERT_TRUE(font);
    Surface s(30, 20, white);
    DeviceContext dc(s);
    dc.state().font = font;
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += char(c);
    for (IntPoint p : {IntPoint{-5, 10},
                       {INT_MIN, INT_MIN},
                       {INT_MAX, INT_MAX},
                       {25, 40},
                       {-1000000, 5},
                       {10, INT_MIN + 5}})
        dc.draw_text(p, all, TextAlign::baseline);
    dc.state().clip = IntRect{5, 5, 10, 10};
    s.fill(white);
    dc.draw_text({0, 30}, "WWWW", TextAlign::baseline);
    const IntRect b = ink_bounds(s, black);
    EXPECT_GE(b.left, 5);
    EXPECT_LE(b.right, 10);
    // Without a font nothing is drawn.
    DeviceContext bare(s);
    bare.draw_text({0, 10}, "x");
    EXPECT_EQ(bare.text_extent("x"), IntSize{});
}

TEST_F(FontTest, TextGolden) {
    Surface s(320, 150, white);
    DeviceContext dc(s);
    struct Line {
        const char* family;
        int points, weight;
        bool italic, underline, strike, opaque;
        const char* text;
    };
    const Line lines[] = {
        {"Arial", 12, 400, false, false, false, false, "Arial 12: The quick brown fox"},
        {"Arial", 12, 700, false, false, false, true, "Arial bold, opaque on yellow"},
        {"Times New Roman", 14, 400, true, false, false, false, "Times italic 14 points"},
        {"Courier New", 10, 400, false, true, false, false, "Courier New 10, underlined"},
        {"fixed", 10, 700, false, false, true, false, "fixed bold, struck out"},
        {"helvetica", 8, 400, false, false, false, false,
         "helv 8: \xC4\xD6\xDC \x80 \x93quoted\x94"},
    };
    int y = 4;
    for (const Line& l : lines) {
        auto font =
            open(l.family, points_to_height(l.points), l.weight, l.italic, l.underline, l.strike);
        ASSERT_TRUE(font);
        dc.state().font = font;
        dc.state().background = 0xFFFF66;
        dc.state().background_mode =
            l.opaque ? BackgroundMode::opaque : BackgroundMode::transparent;
        dc.state().text_color = l.opaque ? 0xAA0000 : black;
        dc.draw_text({4, y}, l.text, TextAlign::top);
        y += font->metrics().height + font->metrics().external_leading + 4;
    }
    EXPECT_TRUE(test::matches_golden(s, "text"));
}

} // namespace
} // namespace quillet
