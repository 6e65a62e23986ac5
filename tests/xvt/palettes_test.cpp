// Palettes through the layer: the kinds, adding colours, handles.
#include "xvt_test_support.h"

#include <array>

namespace quillet {
namespace {

using namespace xvt_test;

class Palettes : public LayerTest {};

TEST_F(Palettes, KindsHaveTheirSizesAndFirstEntries) {
    XvtPalette stock = xp_palet_create(1);
    XvtPalette named = xp_palet_create(3);
    XvtPalette fixed = xp_palet_create(4);
    EXPECT_EQ(xp_palet_size(stock), 256);
    EXPECT_EQ(xp_palet_size(named), 16);
    EXPECT_EQ(xp_palet_size(fixed), 256);
    EXPECT_EQ(xp_palet_size(xp_palet_create(2)), 256);
    EXPECT_EQ(xp_palet_size(xp_palet_create(9)), 256);
    std::array<Color, 3> first{};
    ASSERT_EQ(xp_palet_get_colors(named, first), 3);
    EXPECT_EQ(first[0], 0xFFFFFFu);
    EXPECT_EQ(first[1], 0x000000u);
    EXPECT_EQ(first[2], 0xBBBBBBu);
    std::array<Color, 256> all{};
    ASSERT_EQ(xp_palet_get_colors(fixed, all), 256);
    EXPECT_EQ(all[56], all[44]); // the table's repeats are kept
    EXPECT_EQ(all[255], 0x336600u);
}

TEST_F(Palettes, AColourIsAddedUnlessAnEntryEqualsItWhole) {
    XvtPalette p = xp_palet_create(3);
    // 0xFF0000 shares its red with white and its green and blue with black, yet is new: added.
    // 0xBBBBBB is there already; 0x123456 comes twice and is added once.
    std::array<Color, 4> colors{0xFF0000, 0xBBBBBB, 0x123456, 0x123456};
    EXPECT_EQ(xp_palet_set_colors(p, colors), 2);
    EXPECT_EQ(xp_palet_size(p), 18);
    std::array<Color, 18> all{};
    xp_palet_get_colors(p, all);
    EXPECT_EQ(all[16], 0xFF0000u);
    EXPECT_EQ(all[17], 0x123456u);
}

TEST_F(Palettes, StaleHandlesAreInvalidParameters) {
    XvtPalette p = xp_palet_create(3);
    xp_palet_destroy(p);
    EXPECT_EQ(xp_palet_size(p), 0);
    std::array<Color, 1> one{0x010203};
    EXPECT_EQ(xp_palet_set_colors(p, one), 0);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].category, "palet");
    EXPECT_EQ(hooked_errors[1].api, "xp_palet_set_colors");
}

} // namespace
} // namespace quillet
