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

// Every entry of the fixed tables, in order: programs copy them to colour numbers.
TEST_F(Palettes, TheFixedTablesHoldTheirEntriesInOrder) {
    constexpr std::array<Color, 20> stock_colors{0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                                 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
                                                 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                                 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::array<Color, 256> stock{};
    ASSERT_EQ(xp_palet_get_colors(xp_palet_create(1), stock), 256);
    for (size_t i = 0; i < stock.size(); ++i)
        EXPECT_EQ(stock[i], i < stock_colors.size() ? stock_colors[i] : 0u) << i;

    constexpr std::array<Color, 16> named_colors{
        0xFFFFFF, 0x000000, 0xBBBBBB, 0x777777, 0x333333, 0xFBF205, 0xFF6402, 0xDC0806,
        0xF10884, 0x4600A4, 0x0000D3, 0x02AAEA, 0x1FB614, 0x006411, 0x552C05, 0x907039};
    std::array<Color, 16> named{};
    ASSERT_EQ(xp_palet_get_colors(xp_palet_create(3), named), 16);
    EXPECT_EQ(named, named_colors);

    constexpr std::array<Color, 256> fixed_colors{
        0xFFFFFF, 0x000000, 0xBBBBBB, 0x777777, 0x555555, 0xFFFFCC, 0xFFFF99, 0xFFFF66, 0x000011,
        0xEEEEEE, 0xDDDDDD, 0xAAAAAA, 0xFFFF33, 0xFFFF00, 0xFFCCFF, 0xFFCCCC, 0xFFCC99, 0xFFCC66,
        0xFFCC33, 0xFFCC00, 0x000077, 0x000055, 0x000044, 0x000022, 0xFF99FF, 0xFF99CC, 0xFF9999,
        0xFF9966, 0xFF9933, 0xFF9900, 0xFF66FF, 0xFF66CC, 0x0000DD, 0x0000BB, 0x0000AA, 0x000088,
        0xFF6699, 0xFF6666, 0xFF6633, 0xFF6600, 0xFF33FF, 0xFF33CC, 0xFF3399, 0xFF3366, 0x004400,
        0x002200, 0x001100, 0x0000EE, 0xFF3333, 0xFF3300, 0xFF00FF, 0xFF00CC, 0xFF0099, 0xFF0066,
        0xFF0033, 0xFF0000, 0x004400, 0x002200, 0x001100, 0x0000EE, 0xCCFFFF, 0xCCFFCC, 0xCCFF99,
        0xCCFF66, 0xCCFF33, 0xCCFF00, 0xCCCCFF, 0xCCCCCC, 0x00AA00, 0x008800, 0x007700, 0x005500,
        0xCCCC99, 0xCCCC66, 0xCCCC33, 0xCCCC00, 0xCC99FF, 0xCC99CC, 0xCC9999, 0xCC9966, 0x00AA00,
        0x008800, 0x007700, 0x005500, 0xCC9933, 0xCC9900, 0xCC66FF, 0xCC66CC, 0xCC6699, 0xCC6666,
        0xCC6633, 0xCC6600, 0x00AA00, 0x008800, 0x007700, 0x005500, 0xCC33FF, 0xCC33CC, 0xCC3399,
        0xCC3366, 0xCC3333, 0xCC3300, 0xCC00FF, 0xCC00CC, 0x110000, 0x00EE00, 0x00DD00, 0x00BB00,
        0xCC0099, 0xCC0066, 0xCC0033, 0xCC0000, 0x99FFFF, 0x99FFCC, 0x99FF99, 0x99FF66, 0x770000,
        0x550000, 0x440000, 0x220000, 0x99FF33, 0x99FF00, 0x99CCFF, 0x99CCCC, 0x99CC99, 0x99CC66,
        0x99CC33, 0x99CC00, 0xDD0000, 0xBB0000, 0xAA0000, 0x880000, 0x9999FF, 0x9999CC, 0x999999,
        0x999966, 0x999933, 0x999900, 0x9966FF, 0x9966CC, 0x000099, 0x000066, 0x000033, 0xEE0000,
        0x996699, 0x996666, 0x996633, 0x996600, 0x9933FF, 0x9933CC, 0x993399, 0x993366, 0x003333,
        0x003300, 0x0000FF, 0x0000CC, 0x993333, 0x993300, 0x9900FF, 0x9900CC, 0x990099, 0x990066,
        0x990033, 0x990000, 0x0033FF, 0x0033CC, 0x003399, 0x003366, 0x66FFFF, 0x66FFCC, 0x66FF99,
        0x66FF66, 0x66FF33, 0x66FF00, 0x66CCFF, 0x66CCCC, 0x006699, 0x006666, 0x006633, 0x006600,
        0x66CC99, 0x66CC66, 0x66CC33, 0x66CC00, 0x6699FF, 0x6699CC, 0x669999, 0x669966, 0x009933,
        0x009900, 0x0066FF, 0x0066CC, 0x669933, 0x669900, 0x6666FF, 0x6666CC, 0x666699, 0x666666,
        0x666633, 0x666600, 0x0099FF, 0x0099CC, 0x009999, 0x009966, 0x6633FF, 0x6633CC, 0x663399,
        0x663366, 0x663333, 0x663300, 0x6600FF, 0x6600CC, 0x00CC99, 0x00CC66, 0x00CC33, 0x00CC00,
        0x660099, 0x660066, 0x660033, 0x660000, 0x33FFFF, 0x33FFCC, 0x33FF99, 0x33FF66, 0x00CC99,
        0x00CC66, 0x00CC33, 0x00CC00, 0x33FF33, 0x33FF00, 0x33CCFF, 0x33CCCC, 0x33CC99, 0x33CC66,
        0x33CC33, 0x33CC00, 0x00CC99, 0x00CC66, 0x00CC33, 0x00CC00, 0x3399FF, 0x3399CC, 0x339999,
        0x339966, 0x00FF33, 0x00FF00, 0x00CCFF, 0x00CCCC, 0x339933, 0x339900, 0x3366FF, 0x3366CC,
        0x336699, 0x336666, 0x336633, 0x336600,
    };
    std::array<Color, 256> fixed{};
    ASSERT_EQ(xp_palet_get_colors(xp_palet_create(4), fixed), 256);
    for (size_t i = 0; i < fixed.size(); ++i)
        EXPECT_EQ(fixed[i], fixed_colors[i]) << i;
    EXPECT_TRUE(hooked_errors.empty());
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
