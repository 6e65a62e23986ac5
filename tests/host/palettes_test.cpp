// Palette kinds and nearest-colour lookup.
#include "host/raster/palettes.h"

#include <gtest/gtest.h>
#include <set>

namespace quillet {
namespace {

TEST(Palettes, Kinds) {
    const auto stock = make_palette(PaletteKind::stock);
    ASSERT_EQ(stock.size(), 256u);
    EXPECT_EQ(stock[1], 0x800000u);
    EXPECT_EQ(stock[8], 0xC0DCC0u);
    EXPECT_EQ(stock[19], 0xFFFFFFu);
    for (size_t i = 20; i < 256; ++i)
        EXPECT_EQ(stock[i], 0u);

    const auto named = make_palette(PaletteKind::named16);
    ASSERT_EQ(named.size(), 16u);
    EXPECT_EQ(named[0], 0xFFFFFFu);
    EXPECT_EQ(named[5], 0xFBF205u);
    EXPECT_EQ(named[15], 0x907039u);

    const auto system = make_palette(PaletteKind::system);
    ASSERT_EQ(system.size(), 256u);
    EXPECT_EQ(system[9], 0xA6CAF0u);
    EXPECT_EQ(system[246], 0xFFFBF0u);
    EXPECT_EQ(system[255], 0xFFFFFFu);
    EXPECT_EQ(make_palette(PaletteKind::startup), system);
    EXPECT_EQ(make_palette(static_cast<PaletteKind>(99)), system);
}

TEST(Palettes, Fixed256TableKeepsItsOrderAndRepeats) {
    const auto p = make_palette(PaletteKind::colors256);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], 0xFFFFFFu);
    EXPECT_EQ(p[8], 0x000011u);
    EXPECT_EQ(p[47], 0x0000EEu);
    EXPECT_EQ(p[128], 0xDD0000u);
    EXPECT_EQ(p[255], 0x336600u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p[56 + i], p[44 + i]);
        EXPECT_EQ(p[80 + i], p[68 + i]);
        EXPECT_EQ(p[92 + i], p[68 + i]);
        EXPECT_EQ(p[224 + i], p[212 + i]);
        EXPECT_EQ(p[236 + i], p[212 + i]);
    }
    // Of the 216 colours with components in steps of 51, exactly these sixteen are missing.
    const std::set<Color> present(p.begin(), p.end());
    std::set<Color> missing;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const Color c = make_color(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51));
                if (!present.count(c)) missing.insert(c);
            }
    std::set<Color> expected{0x00FF66, 0x00FF99, 0x00FFCC, 0x00FFFF};
    for (Color g : {0x00u, 0x33u})
        for (Color b = 0; b <= 0xFF; b += 0x33)
            expected.insert(0x330000 | g << 8 | b);
    EXPECT_EQ(missing, expected);
}

TEST(Palettes, NearestColour) {
    const std::vector<Color> p{0x000000, 0xFF0000, 0x00FF00, 0xFF0000, 0xFFFFFF};
    EXPECT_EQ(nearest_color_index(p, 0xFE0101), 1u); // the lowest of equal entries
    EXPECT_EQ(nearest_color_index(p, 0x101010), 0u);
    EXPECT_EQ(nearest_color_index(p, 0xEEEEEE), 4u);
    EXPECT_EQ(nearest_color_index(p, 0x00FF00), 2u);
    EXPECT_THROW(nearest_color_index({}, 0), std::invalid_argument);
}

} // namespace
} // namespace quillet
