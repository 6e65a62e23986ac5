#include "ui/colours.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

class ColoursTest : public ::testing::Test {
protected:
    void SetUp() override { reset_colours(); }
    void TearDown() override { reset_colours(); }
};

TEST_F(ColoursTest, NumbersLookUpTheColourAndNamedTables) {
    EXPECT_EQ(colour_value(4), 0xAA0000u);
    EXPECT_EQ(colour_value(15), 0xFFFFFFu);
    EXPECT_EQ(colour_value(-3), 0xAA0000u); // named red
    EXPECT_EQ(colour_value(-8), 0xFFFF00u); // named yellow
    EXPECT_EQ(colour_value(-1), 0x000000u);
}

TEST_F(ColoursTest, SnappedEntriesKeepTheirMarkButLookUpAsRgb) {
    ASSERT_TRUE(set_colour_entry(3, snapped_colour(3, 0x123456)));
    EXPECT_EQ(colour_entry(3), 0x13123456u);
    EXPECT_EQ(colour_value(3), 0x123456u);
    EXPECT_EQ(snapped_colour(250, 0xFFFFFF), 0x0AFFFFFFu); // (250 + 16) mod 256
}

TEST_F(ColoursTest, NumbersOutsideTheTablesAreIgnoredOnSetAndReadAsBlack) {
    for (int32_t number : {16, 1000, 0x7FFFFFFF, -16, -1000, int32_t(0x80000000)}) {
        EXPECT_FALSE(set_colour_entry(number, 0xFFFFFF)) << number;
        EXPECT_EQ(colour_value(number), 0x000000u) << number;
    }
    EXPECT_EQ(colour_value(0), 0x000000u);
    EXPECT_EQ(colour_value(15), 0xFFFFFFu);
}

TEST_F(ColoursTest, ATableForFewColoursStillHoldsSixteenEntries) {
    resize_colour_table(1);
    EXPECT_EQ(colours.table.size(), 16u);
    EXPECT_TRUE(set_colour_entry(15, 0x00FF00));
    EXPECT_EQ(colour_value(15), 0x00FF00u);
    EXPECT_FALSE(is_colour_number(16));

    resize_colour_table(255);
    EXPECT_EQ(colours.table.size(), 256u);
    EXPECT_TRUE(set_colour_entry(255, 0x0000FF));
    EXPECT_EQ(colour_value(255), 0x0000FFu);
    EXPECT_FALSE(set_colour_entry(256, 0x0000FF));
}

} // namespace
} // namespace quillet
