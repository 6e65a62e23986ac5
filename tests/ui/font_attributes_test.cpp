#include "ui/font_attributes.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/font_styles.h"
#include "values/errors.h"
#include "values/numbers.h"

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

// A SET request carrying one text and one number.
ObjectRequest values(std::string text, int32_t number) {
    return ObjectRequest(2, 1, {}, {std::move(text)}, {num_int(number)});
}

bool set(TextMetrics& m, int32_t attribute, std::string text, int32_t number = 0) {
    ObjectRequest request = values(std::move(text), number);
    return set_font_attribute(m, attribute, request);
}

TEST(FontStyleWords, BoldAndItalicInAnyOrderAndCaseReadBackAsItalicBold) {
    EXPECT_EQ(font_style_bits("Bold Italic"), 0x3u);
    EXPECT_EQ(font_style_bits("ITALIC,bold"), 0x3u);
    EXPECT_EQ(font_style_words(font_style_bits("bold italic")), "italic bold");
    EXPECT_EQ(font_style_words(0), "plain");
    EXPECT_EQ(font_style_words(0x87), "italic bold underline strikeout");
    EXPECT_EQ(font_style_bits("Plain Underline"), 0x4u);
    EXPECT_EQ(raised_by([] { font_style_bits("heavy"); }), -11227);
}

TEST(SetFontAttribute, ChangesAreReportedAndBadValuesRefused) {
    TextMetrics m;
    m.family = "Arial";
    m.font_size = 10;
    EXPECT_TRUE(set(m, window_attr::font_name, "Courier New"));
    EXPECT_EQ(m.family, "Courier New");
    EXPECT_FALSE(set(m, window_attr::font_name, "Courier New"));
    EXPECT_TRUE(set(m, window_attr::font_name, std::string(300, 'x')));
    EXPECT_EQ(m.family.size(), 128u);

    EXPECT_TRUE(set(m, window_attr::font_size, "", 12));
    EXPECT_FALSE(set(m, window_attr::font_size, "", 12));
    EXPECT_EQ(raised_by([&] { set(m, window_attr::font_size, "", 0); }), -11228);
    EXPECT_EQ(m.font_size, 12);

    EXPECT_TRUE(set(m, window_attr::font_style, "bold"));
    EXPECT_EQ(m.font_style, 0x1u);
    EXPECT_FALSE(set(m, window_attr::font_style, "BOLD"));
    EXPECT_EQ(raised_by([&] { set(m, window_attr::font_style, "fancy"); }), -11227);
    EXPECT_EQ(m.font_style, 0x1u);
    EXPECT_EQ(raised_by([&] { set(m, window_attr::font_metrics, "x", 1); }), -11223);
}

} // namespace
} // namespace quillet
