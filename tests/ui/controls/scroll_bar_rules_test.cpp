#include "ui/objects/scroll_bar_rules.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(ScrollBarRulesTest, NegativeValuesBecomeZeroAndTheRangeStaysOrdered) {
    ScrollBarSettings bar;
    store_scroll_setting(bar, ScrollSetting::position, -5);
    EXPECT_EQ(bar.position, 0);
    store_scroll_setting(bar, ScrollSetting::range_start, 150);
    EXPECT_EQ(bar.range_start, 150);
    EXPECT_EQ(bar.range_end, 150); // raised to the start
    store_scroll_setting(bar, ScrollSetting::range_end, 40);
    EXPECT_EQ(bar.range_end, 40);
    EXPECT_EQ(bar.range_start, 40); // lowered to the end
    store_scroll_setting(bar, ScrollSetting::range_end, -7);
    EXPECT_EQ(bar.range_end, 0);
    EXPECT_EQ(bar.range_start, 0);
    store_scroll_setting(bar, ScrollSetting::range_start, -1);
    EXPECT_EQ(bar.range_start, 0);
}

TEST(ScrollBarRulesTest, ProportionsBelowTwoBecomeOne) {
    ScrollBarSettings bar;
    for (int32_t p : {-3, 0, 1}) {
        store_scroll_setting(bar, ScrollSetting::proportion, p);
        EXPECT_EQ(bar.proportion, 1) << p;
    }
    store_scroll_setting(bar, ScrollSetting::proportion, 2);
    EXPECT_EQ(scroll_setting(bar, ScrollSetting::proportion), 2);
}

TEST(ScrollBarRulesTest, IncrementsAndTheAttachedTextEditAreKeptAsGiven) {
    ScrollBarSettings bar;
    store_scroll_setting(bar, ScrollSetting::single_increment, -2);
    store_scroll_setting(bar, ScrollSetting::page_increment, 25);
    store_scroll_setting(bar, ScrollSetting::text_edit, 130);
    EXPECT_EQ(scroll_setting(bar, ScrollSetting::single_increment), -2);
    EXPECT_EQ(scroll_setting(bar, ScrollSetting::page_increment), 25);
    EXPECT_EQ(scroll_setting(bar, ScrollSetting::text_edit), 130);
}

} // namespace
} // namespace quillet
