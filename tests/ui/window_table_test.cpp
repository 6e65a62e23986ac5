#include "ui/window_table.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

class WindowTableTest : public ::testing::Test {
protected:
    void SetUp() override { reset_window_table(); }
    void TearDown() override { reset_window_table(); }
    // Marks window n defined (not yet shown), as the CREATE method does.
    static void define(int n) { window_record(n).native_window = no_xvt_window; }
};

TEST_F(WindowTableTest, AFreshTableHasNoWindowAndFreshRecordsTheirStartValues) {
    for (int n = 0; n < window_count; ++n)
        EXPECT_FALSE(is_valid_window(n)) << n;
    const WindowRecord& r = window_record(5);
    EXPECT_EQ(r.native_window, free_window_slot);
    EXPECT_EQ(r.foreground_colour, -1);
    EXPECT_EQ(r.background_colour, -2);
    EXPECT_EQ(r.cursor_code, xvt_cursor::arrow);
    EXPECT_EQ(r.parent, -1);
    EXPECT_EQ(r.text_cursor.column, 1);
    EXPECT_EQ(r.text_cursor.row, 1);
    EXPECT_FALSE(r.text_cursor.on);
    EXPECT_EQ(r.vertical_scroll.bar_id, 16);
    EXPECT_EQ(r.horizontal_scroll.bar_id, 15);
    EXPECT_EQ(r.vertical_scroll.range_end, 100);
    EXPECT_EQ(r.user_rect.right, 1.0);
    EXPECT_EQ(window_table.current, default_window);
}

TEST_F(WindowTableTest, ValidityNeedsAnInUseRecordUpToTheHighestNumber) {
    define(0);
    EXPECT_TRUE(is_valid_window(0));
    EXPECT_EQ(find_window(0), &window_record(0));
    define(3); // beyond the highest number handed out
    EXPECT_FALSE(is_valid_window(3));
    EXPECT_EQ(find_window(3), nullptr);
    EXPECT_FALSE(is_valid_window(-1));
    EXPECT_FALSE(is_valid_window(window_count));
    EXPECT_FALSE(is_valid_window(1 << 30));
}

TEST_F(WindowTableTest, NumbersAreReusedFromTheBottomAndRefusedWhenAllAreInUse) {
    EXPECT_EQ(allocate_window_number(), 1);
    define(1);
    EXPECT_EQ(allocate_window_number(), 2);
    define(2);
    EXPECT_EQ(window_table.highest, 2);
    window_record(1).native_window = free_window_slot;
    EXPECT_EQ(allocate_window_number(), 1);
    define(1);
    for (int n = 3; n < window_count; ++n) {
        ASSERT_EQ(allocate_window_number(), n);
        define(n);
    }
    EXPECT_EQ(allocate_window_number(), -1);
    EXPECT_EQ(window_table.highest, window_count - 1);
}

TEST_F(WindowTableTest, NativeWindowsMapBackToTheirNumbers) {
    define(0);
    window_record(0).native_window = 17;
    window_table.highest = 4;
    define(4);
    window_record(4).native_window = 23;
    EXPECT_EQ(window_number_of(17), 0);
    EXPECT_EQ(window_number_of(23), 4);
    EXPECT_EQ(window_number_of(99), -1); // no window system: not one of ours
    EXPECT_EQ(window_number_of(no_xvt_window), -1);
    EXPECT_FALSE(is_user_window(17));
    EXPECT_TRUE(is_user_window(23));
}

} // namespace
} // namespace quillet
