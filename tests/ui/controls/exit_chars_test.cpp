#include "ui/controls/exit_chars.h"

#include <climits>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using Keys = std::vector<int32_t>;

TEST(ExitCharsTest, KeysAreAddedOnceAndRemovedByTheirNegation) {
    ExitChars chars;
    EXPECT_TRUE(chars.set(13));
    EXPECT_TRUE(chars.set(9));
    EXPECT_TRUE(chars.set(13));
    EXPECT_EQ(chars.keys(), (Keys{13, 9}));
    EXPECT_TRUE(chars.contains(9));
    EXPECT_TRUE(chars.set(-13));
    EXPECT_EQ(chars.keys(), (Keys{9}));
    EXPECT_FALSE(chars.contains(13));
    // The freed slot is taken again before a new one.
    EXPECT_TRUE(chars.set(27));
    EXPECT_EQ(chars.keys(), (Keys{27, 9}));
    EXPECT_FALSE(chars.contains(-1)); // a free slot is no key
}

TEST(ExitCharsTest, AListThatHasHeldTenKeysRefusesEveryFurtherChange) {
    ExitChars chars;
    for (int32_t key = 1; key <= ExitChars::capacity; ++key)
        ASSERT_TRUE(chars.set(key));
    EXPECT_FALSE(chars.set(11));
    EXPECT_FALSE(chars.set(-3)); // even a removal
    EXPECT_FALSE(chars.set(5));  // even a key already there
    EXPECT_EQ(chars.keys().size(), 10u);
}

TEST(ExitCharsTest, FreedSlotsStillCountTowardsTheTen) {
    ExitChars chars;
    for (int32_t key = 1; key <= 9; ++key)
        ASSERT_TRUE(chars.set(key));
    ASSERT_TRUE(chars.set(-1));
    ASSERT_TRUE(chars.set(100)); // reuses the freed first slot: nine used still
    ASSERT_TRUE(chars.set(101)); // the tenth slot
    EXPECT_FALSE(chars.set(-2));
    EXPECT_EQ(chars.keys(), (Keys{100, 2, 3, 4, 5, 6, 7, 8, 9, 101}));
}

TEST(ExitCharsTest, TheMostNegativeValueFreesNothing) {
    ExitChars chars;
    ASSERT_TRUE(chars.set(INT32_MAX));
    EXPECT_TRUE(chars.set(INT32_MIN));
    EXPECT_EQ(chars.keys(), (Keys{INT32_MAX}));
    EXPECT_TRUE(chars.set(-INT32_MAX));
    EXPECT_TRUE(chars.keys().empty());
}

} // namespace
} // namespace quillet
