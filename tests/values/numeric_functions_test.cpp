// The elementary functions with their domain, range and precision errors, binary exponents and
// scaling at the limits of the double range, and the random generator with its reseed.
#include "values/numbers.h"
#include "values/numeric_functions.h"
#include "values/random_numbers.h"
#include "values_test_support.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace quillet {
namespace {

Cell num(double d) {
    return std::bit_cast<Cell>(d);
}

// The result is in double form with exactly this value.
::testing::AssertionResult is_double(Cell c, double want) {
    if (is_int(c)) return ::testing::AssertionFailure() << "integer form " << int_value(c);
    if (double_value(c) != want)
        return ::testing::AssertionFailure() << double_value(c) << " instead of " << want;
    return ::testing::AssertionSuccess();
}

bool is_int_zero(Cell c) {
    return c == num_int(0);
}

TEST(NumericFunctions, DomainErrorsAreCheckedBeforeTheCall) {
    EXPECT_EQ(raised([] { num_sqrt(num_int(-1)); }), err::sqr_negative);
    EXPECT_EQ(raised([] { num_sqrt(num(-1e-300)); }), err::sqr_negative);
    for (Cell bad : {num_int(0), num_int(-1), num(-0.5)}) {
        EXPECT_EQ(raised([&] { num_log(bad); }), err::log_not_positive);
        EXPECT_EQ(raised([&] { num_log2(bad); }), err::log_not_positive);
        EXPECT_EQ(raised([&] { num_log10(bad); }), err::log_not_positive);
    }
    EXPECT_EQ(raised([] { num_asin(num(1.0000001)); }), err::asin_acos_range);
    EXPECT_EQ(raised([] { num_acos(num_int(-2)); }), err::asin_acos_range);
    EXPECT_EQ(raised([] { num_acos(num(-1.0000001)); }), err::asin_acos_range);
}

TEST(NumericFunctions, ResultsAreNormalizedButStayDoubles) {
    EXPECT_TRUE(is_int_zero(num_sqrt(num_int(0))));
    EXPECT_TRUE(is_double(num_sqrt(num_int(4)), 2.0)) << "only zero becomes integer form";
    EXPECT_TRUE(is_int_zero(num_log(num_int(1))));
    EXPECT_TRUE(is_double(num_log2(num_int(8)), 3.0));
    EXPECT_TRUE(is_double(num_log10(num_int(1000)), 3.0));
    EXPECT_TRUE(is_double(num_asin(num_int(1)), std::numbers::pi / 2));
    EXPECT_TRUE(is_int_zero(num_acos(num_int(1))));
    EXPECT_TRUE(is_double(num_atan(num_int(1)), std::atan(1.0)));
    EXPECT_TRUE(is_int_zero(num_sin(num_int(0))));
    EXPECT_TRUE(is_double(num_cos(num_int(0)), 1.0));
    EXPECT_TRUE(is_double(num_tanh(num_int(1000)), 1.0));
    EXPECT_TRUE(is_int_zero(num_sinh(num_int(0))));
}

TEST(NumericFunctions, OverflowIsAnErrorAndUnderflowIsZero) {
    EXPECT_EQ(raised([] { num_exp(num_int(1000)); }), err::function_overflow);
    EXPECT_TRUE(is_int_zero(num_exp(num_int(-1000))));
    // A subnormal result underflows as well, rather than counting as an overflow.
    EXPECT_TRUE(is_int_zero(num_exp(num_int(-740))));
    EXPECT_TRUE(is_double(num_exp(num_int(709)), std::exp(709.0)));
    EXPECT_EQ(raised([] { num_sinh(num_int(1000)); }), err::function_overflow);
    EXPECT_EQ(raised([] { num_sinh(num_int(-1000)); }), err::function_overflow);
    EXPECT_EQ(raised([] { num_cosh(num_int(-1000)); }), err::function_overflow);
}

TEST(NumericFunctions, TrigonometryGivesUpWhereNoDigitIsLeft) {
    for (Cell huge : {num(0x1p63), num(-0x1p63), num(1e300)}) {
        EXPECT_EQ(raised([&] { num_sin(huge); }), err::trig_argument_large);
        EXPECT_EQ(raised([&] { num_cos(huge); }), err::trig_argument_large);
        EXPECT_EQ(raised([&] { num_tan(huge); }), err::trig_argument_large);
    }
    double below = std::nextafter(0x1p63, 0.0);
    EXPECT_TRUE(is_double(num_sin(num(below)), std::sin(below)));
    EXPECT_TRUE(is_double(num_tan(num(1e10)), std::tan(1e10)));
}

TEST(NumericFunctions, BinaryScalingAtTheLimits) {
    EXPECT_EQ(raised([] { num_ldexp(num_int(1), 1100); }), err::overflow);
    EXPECT_EQ(raised([] { num_ldexp(num_int(-1), INT32_MAX); }), err::overflow);
    EXPECT_TRUE(is_int_zero(num_ldexp(num_int(1), -1100)));
    EXPECT_TRUE(is_int_zero(num_ldexp(num_int(1), -1070))) << "a subnormal is zero";
    EXPECT_TRUE(is_int_zero(num_ldexp(num_int(1), INT32_MIN)));
    EXPECT_TRUE(is_double(num_ldexp(num_int(3), 2), 12.0));
    EXPECT_TRUE(is_double(num_ldexp(num(0.75), 1024), 0.75 * 0x1p1023 * 2));
    EXPECT_TRUE(is_int_zero(num_ldexp(num_int(0), 5000)));
}

TEST(NumericFunctions, BinaryExponent) {
    EXPECT_EQ(binary_exponent(num_int(1)), 0);
    EXPECT_EQ(binary_exponent(num(0.75)), -1);
    EXPECT_EQ(binary_exponent(num_int(1024)), 10);
    EXPECT_EQ(binary_exponent(num(1024.0)), 10);
    EXPECT_EQ(binary_exponent(num_int(1023)), 9);
    EXPECT_EQ(binary_exponent(num_int(-3)), 1);
    EXPECT_EQ(binary_exponent(num_int(0)), -1);
    EXPECT_EQ(binary_exponent(num_int(INT32_MIN)), 31);
    EXPECT_EQ(binary_exponent(num(num_max())), 1023);
    EXPECT_EQ(binary_exponent(num(0x1p-1022)), -1022);
}

TEST(RandomNumbers, TheSequenceOfEveryRunAndItsRestart) {
    RandomState r;
    EXPECT_EQ(random_next(r), 0.5485076904296875);
    EXPECT_EQ(r.seed, 0x8C6B0001u);
    EXPECT_EQ(random_next(r), 0.07826921856030822);
    EXPECT_EQ(r.seed, 0x14097396u);
    EXPECT_EQ(random_next(r), 0.6878762426786125);
    EXPECT_EQ(r.seed, 0xB018A84Fu);

    random_restart(r);
    EXPECT_EQ(random_next(r), 0.5485076904296875);
    EXPECT_EQ(random_next(r), 0.07826921856030822);
}

TEST(RandomNumbers, ValuesStayBelowOne) {
    RandomState r;
    for (int i = 0; i < 100000; ++i) {
        double v = random_next(r);
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
    // The largest seed gives the largest value, still below one.
    r.seed = 0xFFFFFFFEu * 0xF6433FBDu; // 0xF6433FBD is the inverse of 5^13 modulo 2^32
    EXPECT_EQ(random_next(r), double(0x7FFFFFFF) / 2147483648.0);
}

TEST(RandomNumbers, ReseedAddsRandTimesProcessPlusTime) {
    RandomState r;
    // The rand-style generator starting from 1: its well-known first values.
    RandomState probe;
    EXPECT_EQ(random_crt_rand(probe), 41);
    EXPECT_EQ(random_crt_rand(probe), 18467);
    EXPECT_EQ(random_crt_rand(probe), 6334);

    random_reseed(r, 1000, 1700000000u);
    EXPECT_EQ(r.seed, 0xFFFF0000u + 41u * 1000u + 1700000000u);
    uint32_t after_first = r.seed;
    random_reseed(r, 1000, 1700000000u);
    EXPECT_EQ(r.seed, after_first + 18467u * 1000u + 1700000000u)
        << "a second reseed in the same second differs";
}

} // namespace
} // namespace quillet
