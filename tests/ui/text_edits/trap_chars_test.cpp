// Trap characters: twenty slots, a key's action replaced in place, freed slots reused first, and
// the list refusing any change once every slot has been used.
#include "ui/text_edits/trap_chars.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(TrapChars, ActionsAreReplacedAndFreedSlotsReused) {
    TrapChars traps;
    ASSERT_TRUE(traps.set(13, 1));
    ASSERT_TRUE(traps.set(9, 2));
    ASSERT_TRUE(traps.set(13, 5));
    EXPECT_EQ(traps.action_of(13), 5);
    EXPECT_EQ(traps.used().size(), 2u);
    ASSERT_TRUE(traps.set(-13, 0));
    EXPECT_FALSE(traps.action_of(13).has_value());
    EXPECT_EQ(traps.used()[0].key, -1);
    ASSERT_TRUE(traps.set(27, 3));
    ASSERT_EQ(traps.used().size(), 2u);
    EXPECT_EQ(traps.used()[0].key, 27);
    EXPECT_EQ(traps.used()[0].action, 3);
    EXPECT_FALSE(traps.action_of(-1).has_value());
}

TEST(TrapChars, TwentySlotsThenNoChange) {
    TrapChars traps;
    for (int32_t k = 0; k < TrapChars::capacity; ++k)
        ASSERT_TRUE(traps.set(100 + k, 2));
    EXPECT_FALSE(traps.set(1, 1));
    EXPECT_FALSE(traps.set(-100, 0)); // not even a removal
    EXPECT_EQ(traps.action_of(100), 2);
    EXPECT_FALSE(traps.action_of(1).has_value());
}

} // namespace
} // namespace quillet
