#include "devices/clock.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>

namespace quillet {
namespace {

// The test never lets the seam reach the host's clock.
class ClockSeam : public testing::Test {
protected:
    void SetUp() override { setenv("QUILLET_CLOCK_READ_ONLY", "1", 1); }
};

TEST_F(ClockSeam, RefusesEveryChangeWhenReadOnly) {
    LocalTime now = local_time_now();
    EXPECT_EQ(set_local_clock(now), EPERM);
}

TEST_F(ClockSeam, RefusesTimesThatDoNotExist) {
    LocalTime t = local_time_now();
    t.month = 13;
    EXPECT_EQ(set_local_clock(t), EINVAL);
    t = local_time_now();
    t.month = 4;
    t.day = 31;
    EXPECT_EQ(set_local_clock(t), EINVAL);
    t = local_time_now();
    t.hour = 25;
    EXPECT_EQ(set_local_clock(t), EINVAL);
}

TEST(LocalTimeNow, FieldsAreInRange) {
    LocalTime t = local_time_now();
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_GE(t.millisecond, 0);
    EXPECT_LT(t.millisecond, 1000);
}

} // namespace
} // namespace quillet
