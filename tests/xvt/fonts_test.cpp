// Font objects through the layer: families, sizes, styles, mapping at the window's resolution,
// the window's font in drawing, and the host's families.
#include "xvt_test_support.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace quillet {
namespace {

using namespace xvt_test;

class Fonts : public LayerTest {
protected:
    std::string family(XvtFont f) {
        std::array<char, 300> buffer{};
        xp_font_get_family(f, buffer);
        return buffer.data();
    }
    static const xvt_detail::LayerFont& record(XvtFont f) {
        const xvt_detail::LayerFont* r = xvt_detail::app.fonts.find(f);
        if (!r) throw std::logic_error("no such font");
        return *r;
    }
    static FontRequest mapped_request(XvtFont f) {
        const std::shared_ptr<const Font> host = record(f).host;
        if (!host) throw std::logic_error("the font is not mapped");
        return host->request();
    }
};

TEST_F(Fonts, FixedInAnyCaseBecomesCourierNewAndOtherFamiliesAreKept) {
    XvtFont f = xp_font_create();
    EXPECT_EQ(family(f), "");
    EXPECT_EQ(xp_font_get_size(f), 0);
    for (std::string_view fixed : {"fixed", "FIXED", "Fixed"}) {
        xp_font_set_family(f, fixed);
        EXPECT_EQ(family(f), "Courier New") << fixed;
    }
    xp_font_set_family(f, "fixedsys");
    EXPECT_EQ(family(f), "fixedsys");
    xp_font_set_family(f, std::string(300, 'a'));
    EXPECT_EQ(family(f).size(), 255u);

    std::array<char, 5> small{};
    xp_font_set_family(f, "Times New Roman");
    EXPECT_EQ(xp_font_get_family(f, small), 4);
    EXPECT_EQ(std::string(small.data()), "Time");
}

TEST_F(Fonts, TwelvePointBoldAtNinetySixPixelsPerInchIsMinusSixteenAndWeight700) {
    XvtWindow window = open("Fonts");
    XvtFont f = xp_font_create();
    xp_font_set_family(f, "fixed");
    xp_font_set_size(f, 12);
    xp_font_set_style(f, xvt_font_style::bold | xvt_font_style::underline);
    EXPECT_EQ(xp_font_get_style(f), 0x5u);
    xp_font_map(f, window);
    EXPECT_EQ(mapped_request(f).height, -16);
    EXPECT_EQ(mapped_request(f).weight, 700);
    EXPECT_TRUE(mapped_request(f).underline);
    EXPECT_FALSE(mapped_request(f).italic);
    EXPECT_EQ(mapped_request(f).family, "Courier New");

    xp_font_set_style(f, xvt_font_style::italic | xvt_font_style::strike_out);
    EXPECT_FALSE(record(f).mapped); // every change unmaps
    xp_font_set_size(f, 9);
    xp_font_map(f, window);
    EXPECT_EQ(mapped_request(f).height, -12);
    EXPECT_EQ(mapped_request(f).weight, 400);
    EXPECT_TRUE(mapped_request(f).italic);
    EXPECT_TRUE(mapped_request(f).strike_out);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Fonts, ArgumentsAreChecked) {
    XvtFont f = xp_font_create();
    xp_font_set_size(f, 10);
    xp_font_set_size(f, 0);
    EXPECT_EQ(xp_font_get_size(f), 10);
    xp_font_destroy(f);
    xp_font_set_style(f, 1);
    xp_font_map(xp_font_create(), 0x7FFF0099);
    ASSERT_EQ(hooked_errors.size(), 3u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].api, "xp_font_set_size");
    EXPECT_EQ(hooked_errors[0].category, "font");
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[2].id, 0x20000001u);
}

TEST_F(Fonts, TheWindowsFontMeasuresAndDrawsItsText) {
    XvtWindow window = open("Fonts");
    const int32_t proportional = xp_dwin_get_text_width(window, "iii", -1);
    EXPECT_LT(proportional, xp_dwin_get_text_width(window, "WWW", -1));
    XvtFont f = xp_font_create();
    xp_font_set_family(f, "FIXED");
    xp_font_set_size(f, 12);
    xp_dwin_set_font(window, f);
    EXPECT_EQ(xp_dwin_get_text_width(window, "iii", -1), xp_dwin_get_text_width(window, "WWW", -1));
    int32_t leading = 0, ascent = 0, descent = 0;
    xp_dwin_get_font_metrics(window, &leading, &ascent, &descent);
    const std::shared_ptr<const Font> host = record(f).host;
    ASSERT_TRUE(host);
    EXPECT_EQ(ascent, host->metrics().ascent);
    EXPECT_EQ(descent, host->metrics().descent);
    EXPECT_GE(ascent + descent, 16);
    EXPECT_EQ(record(f).mapped_for, window);

    // Mapped for another window, the font is mapped again for this one.
    XvtWindow other = open("Other");
    xp_dwin_set_font(other, f);
    EXPECT_EQ(record(f).mapped_for, other);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Fonts, FamiliesAreTheHostsSortedOnce) {
    XvtWindow window = open("Fonts");
    std::vector<std::string> families = xp_fmap_get_families(window);
    ASSERT_FALSE(families.empty());
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
    EXPECT_EQ(std::adjacent_find(families.begin(), families.end()), families.end());
    EXPECT_NE(std::find(families.begin(), families.end(), "Liberation Mono"), families.end());
}

} // namespace
} // namespace quillet
