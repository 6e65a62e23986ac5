#include "ui/font_attributes.h"
#include "values/errors.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

int32_t raised_by(auto&& action) {
    try {
        action();
    } catch (const BasicError& e) {
        return e.code;
    }
    return 0;
}

TEST(FontStyleWords, BitsReadAsWordsInTheirOrder) {
    EXPECT_EQ(font_style_words(0), "plain");
    EXPECT_EQ(font_style_words(0x3), "italic bold");
    EXPECT_EQ(font_style_words(0x1), "bold");
    EXPECT_EQ(font_style_words(0x87), "italic bold underline strikeout");
    EXPECT_EQ(font_style_words(0x80), "strikeout");
}

TEST(FontStyleWords, TextsNameBitsInAnyOrderAndCase) {
    EXPECT_EQ(font_style_of_words("Bold Italic"), 0x3u);
    EXPECT_EQ(font_style_of_words("ITALIC,bold"), 0x3u);
    EXPECT_EQ(font_style_of_words("plain"), 0u);
    EXPECT_EQ(font_style_of_words("Plain Underline"), 0x4u);
    EXPECT_EQ(font_style_of_words("StrikeOut"), 0x80u);
    EXPECT_EQ(font_style_words(font_style_of_words("bold italic")), "italic bold");
    EXPECT_EQ(raised_by([] { font_style_of_words("heavy"); }), -11227);
    EXPECT_EQ(raised_by([] { font_style_of_words(""); }), -11227);
}

TEST(SetFontAttribute, ChangesAreReportedAndBadValuesRefused) {
    TextMetrics m;
    m.family = "Arial";
    m.font_size = 10;
    EXPECT_TRUE(set_font_attribute(m, font_attribute::name, "Courier New", 0));
    EXPECT_EQ(m.family, "Courier New");
    EXPECT_FALSE(set_font_attribute(m, font_attribute::name, "Courier New", 0));
    EXPECT_TRUE(set_font_attribute(m, font_attribute::name, std::string(300, 'x'), 0));
    EXPECT_EQ(m.family.size(), 128u);

    EXPECT_TRUE(set_font_attribute(m, font_attribute::size, "", 12));
    EXPECT_FALSE(set_font_attribute(m, font_attribute::size, "", 12));
    EXPECT_EQ(raised_by([&] { set_font_attribute(m, font_attribute::size, "", 0); }), -11228);
    EXPECT_EQ(m.font_size, 12);

    EXPECT_TRUE(set_font_attribute(m, font_attribute::style, "bold", 0));
    EXPECT_EQ(m.font_style, 0x1u);
    EXPECT_FALSE(set_font_attribute(m, font_attribute::style, "BOLD", 0));
    EXPECT_EQ(raised_by([&] { set_font_attribute(m, font_attribute::style, "fancy", 0); }), -11227);
    EXPECT_EQ(m.font_style, 0x1u);
    EXPECT_EQ(raised_by([&] { set_font_attribute(m, 45, "x", 1); }), -11223);
}

} // namespace
} // namespace quillet
