// Number cells: normalization, the integer fast paths and their overflow to double, floored
// division, ordering, rounding, and a randomized check of the arithmetic against exact integers.
#include "values/numbers.h"
#include "values_test_support.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace quillet {
namespace {

__extension__ typedef __int128 Int128; // exact reference arithmetic

constexpr int32_t int_min = INT32_MIN;
constexpr int32_t int_max = INT32_MAX;

// A raw double cell, as a literal of the image may hold it (not normalized).
Cell raw(double d) {
    return std::bit_cast<Cell>(d);
}

::testing::AssertionResult is_int_cell(Cell c, int32_t v) {
    if (!is_int(c))
        return ::testing::AssertionFailure()
               << "double form " << double_value(c) << ", wanted integer " << v;
    if (int_value(c) != v)
        return ::testing::AssertionFailure() << "integer " << int_value(c) << ", wanted " << v;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_double_cell(Cell c, double d) {
    if (is_int(c))
        return ::testing::AssertionFailure()
               << "integer form " << int_value(c) << ", wanted double " << d;
    if (c != raw(d))
        return ::testing::AssertionFailure() << "double " << double_value(c) << " (bits "
                                             << ::testing::PrintToString(c) << "), wanted " << d;
    return ::testing::AssertionSuccess();
}

class Numbers : public ValuesTest {};

TEST_F(Numbers, ZeroAndSubnormalResultsBecomeIntegerZero) {
    EXPECT_TRUE(is_int_cell(num_double(0.0), 0));
    EXPECT_TRUE(is_int_cell(num_double(-0.0), 0));
    EXPECT_TRUE(is_int_cell(num_double(DBL_TRUE_MIN), 0));
    EXPECT_TRUE(is_int_cell(num_double(-DBL_MIN / 2), 0));
    EXPECT_TRUE(is_double_cell(num_double(DBL_MIN), DBL_MIN));
    // Cancellation in every operation lands on integer 0, never a double zero.
    Cell sum = num_add(num_add(raw(0.1), raw(0.2)), raw(-0.30000000000000004));
    EXPECT_TRUE(is_int_cell(sum, 0));
    EXPECT_TRUE(is_int_cell(num_sub(raw(2.5), raw(2.5)), 0));
    EXPECT_TRUE(is_int_cell(num_mul(raw(-3.5), num_int(0)), 0)); // -0.0
    EXPECT_TRUE(is_int_cell(num_mul(num_int(0), num_int(int_min)), 0));
    EXPECT_TRUE(is_int_cell(num_mul(raw(1e-200), raw(1e-200)), 0)); // underflow
    EXPECT_TRUE(is_int_cell(num_div(raw(1e-300), raw(1e300)), 0));
    EXPECT_TRUE(is_int_cell(num_div(num_int(0), num_int(-7)), 0));
    EXPECT_TRUE(is_int_cell(num_div(num_int(0), raw(-7.5)), 0));
    // 0.1 + 0.2 - 0.3 is a tiny non-zero double, which stays a double.
    EXPECT_FALSE(is_int(num_sub(num_add(raw(0.1), raw(0.2)), raw(0.3))));
}

TEST_F(Numbers, SetIntAndSetDoubleStoreNormalizedCells) {
    Addr cell = mem_alloc(8);
    num_set_int(cell, -5);
    EXPECT_EQ(load_u32(cell + 4), int_tag);
    EXPECT_EQ(load_i32(cell), -5);
    num_set_double(cell, -0.0);
    EXPECT_TRUE(is_int_cell(load_cell(cell), 0));
    num_set_double(cell, 1.5);
    EXPECT_TRUE(is_double_cell(load_cell(cell), 1.5));
    EXPECT_EQ(raised([&] { num_set_double(cell, -INFINITY); }), err::overflow);
    EXPECT_TRUE(is_double_cell(load_cell(cell), 1.5)) << "the cell keeps its value on 1002";
    mem_free(cell);
}

TEST_F(Numbers, InfinityRaisesOverflowInEveryPrimitive) {
    double big = num_max();
    EXPECT_EQ(raised([] { num_double(INFINITY); }), err::overflow);
    EXPECT_EQ(raised([&] { num_add(raw(big), raw(big)); }), err::overflow);
    EXPECT_EQ(raised([&] { num_sub(raw(-big), raw(big)); }), err::overflow);
    EXPECT_EQ(raised([&] { num_mul(raw(1e200), raw(-1e200)); }), err::overflow);
    EXPECT_EQ(raised([&] { num_mul(num_int(2), raw(big)); }), err::overflow);
    EXPECT_EQ(raised([&] { num_div(raw(1e300), raw(1e-300)); }), err::overflow);
    EXPECT_EQ(raised([&] { num_divmod(raw(1e300), raw(1e-300)); }), err::overflow);
    // The floored quotient of big / (-0.4 big) is -3, and -3 * (-0.4 big) overflows.
    EXPECT_EQ(raised([&] { num_divmod(raw(big), raw(-0.4 * big)); }), err::overflow);
}

TEST_F(Numbers, IntegerAdditionAndSubtractionOverflowToDouble) {
    EXPECT_TRUE(is_int_cell(num_add(num_int(2), num_int(3)), 5));
    EXPECT_TRUE(is_int_cell(num_add(num_int(int_max), num_int(int_min)), -1));
    EXPECT_TRUE(is_double_cell(num_add(num_int(int_max), num_int(1)), 2147483648.0));
    EXPECT_TRUE(is_double_cell(num_add(num_int(int_min), num_int(-1)), -2147483649.0));
    EXPECT_TRUE(is_double_cell(num_add(num_int(int_min), num_int(int_min)), -4294967296.0));
    EXPECT_TRUE(is_double_cell(num_sub(num_int(int_min), num_int(1)), -2147483649.0));
    EXPECT_TRUE(is_double_cell(num_sub(num_int(5), num_int(int_min)), 2147483653.0));
    EXPECT_TRUE(is_double_cell(num_sub(num_int(0), num_int(int_min)), 2147483648.0));
    EXPECT_TRUE(is_int_cell(num_sub(num_int(-1), num_int(int_min)), int_max));
    EXPECT_TRUE(is_int_cell(num_sub(num_int(int_min), num_int(int_min)), 0));
    // One double operand: the double path, even when the value is integral.
    EXPECT_TRUE(is_double_cell(num_add(num_int(1), raw(2.0)), 3.0));
    EXPECT_TRUE(is_double_cell(num_sub(raw(2.5), num_int(1)), 1.5));
}

TEST_F(Numbers, IntegerProductsStayIntegerOnlyBelowTheMagnitudeLimit) {
    EXPECT_TRUE(is_int_cell(num_mul(num_int(46340), num_int(46341)), 2147441940));
    EXPECT_TRUE(is_int_cell(num_mul(num_int(-46340), num_int(46341)), -2147441940));
    EXPECT_TRUE(is_double_cell(num_mul(num_int(46341), num_int(46341)), 2147488281.0));
    EXPECT_TRUE(is_double_cell(num_mul(num_int(-46341), num_int(-46341)), 2147488281.0));
    // The most negative integer counts as 2147483648, far beyond the limit.
    EXPECT_TRUE(is_double_cell(num_mul(num_int(int_min), num_int(1)), -2147483648.0));
    EXPECT_TRUE(is_double_cell(num_mul(num_int(int_min), num_int(-1)), 2147483648.0));
    EXPECT_TRUE(is_double_cell(num_mul(num_int(100000), num_int(1)), 100000.0));
    EXPECT_TRUE(is_double_cell(num_mul(num_int(3), raw(0.5)), 1.5));
}

TEST_F(Numbers, DivisionIsIntegerOnlyWhenExact) {
    EXPECT_TRUE(is_double_cell(num_div(num_int(7), num_int(2)), 3.5));
    EXPECT_TRUE(is_int_cell(num_div(num_int(6), num_int(3)), 2));
    EXPECT_TRUE(is_int_cell(num_div(num_int(-6), num_int(3)), -2));
    EXPECT_TRUE(is_double_cell(num_div(num_int(-7), num_int(2)), -3.5));
    EXPECT_TRUE(is_double_cell(num_div(num_int(int_min), num_int(-1)), 2147483648.0));
    EXPECT_TRUE(is_int_cell(num_div(num_int(int_min), num_int(1)), int_min));
    EXPECT_TRUE(is_int_cell(num_div(num_int(int_min), num_int(int_min)), 1));
    EXPECT_TRUE(is_double_cell(num_div(num_int(1), num_int(3)), 1.0 / 3.0));
    EXPECT_TRUE(is_double_cell(num_div(raw(6.0), num_int(3)), 2.0));
    EXPECT_EQ(raised([] { num_div(num_int(6), num_int(0)); }), err::division_by_zero);
    EXPECT_EQ(raised([] { num_div(num_int(6), raw(0.0)); }), err::division_by_zero);
    EXPECT_EQ(raised([] { num_div(raw(6.5), raw(-0.0)); }), err::division_by_zero);
    EXPECT_EQ(raised([] { num_div(num_int(0), num_int(0)); }), err::division_by_zero);
}

struct DivmodCase {
    Cell a, b;
    Cell q, r;
};

TEST_F(Numbers, FlooredDivisionForEverySignCombination) {
    const DivmodCase cases[] = {
        {num_int(7), num_int(2), num_int(3), num_int(1)},
        {num_int(-7), num_int(2), num_int(-4), num_int(1)},
        {num_int(7), num_int(-2), num_int(-4), num_int(-1)},
        {num_int(-7), num_int(-2), num_int(3), num_int(-1)},
        {num_int(6), num_int(-3), num_int(-2), num_int(0)},
        {num_int(-6), num_int(3), num_int(-2), num_int(0)},
        {num_int(0), num_int(-5), num_int(0), num_int(0)},
        {num_int(int_min), num_int(3), num_int(-715827883), num_int(1)},
        {num_int(int_max), num_int(int_min), num_int(-1), num_int(-1)},
        {num_int(int_min), num_int(-1), raw(2147483648.0), num_int(0)},
        // Doubles: the quotient is floored and narrowed, the remainder is a - q*b.
        {raw(7.5), num_int(2), num_int(3), raw(1.5)},
        {raw(-7.5), num_int(2), num_int(-4), raw(0.5)},
        {raw(7.5), num_int(-2), num_int(-4), raw(-0.5)},
        {raw(-7.5), raw(-2.0), num_int(3), raw(-1.5)},
        {num_int(7), raw(2.0), num_int(3), raw(1.0)},
        {num_int(6), raw(2.0), num_int(3), num_int(0)},
        // A quotient that floors to 0 leaves the dividend itself as remainder.
        {raw(0.5), num_int(2), num_int(0), raw(0.5)},
        {raw(-0.5), num_int(2), num_int(-1), raw(1.5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << num_to_double(c.a) << " divmod " << num_to_double(c.b));
        QuotientRemainder qr = num_divmod(c.a, c.b);
        EXPECT_EQ(qr.quotient, c.q) << num_to_double(qr.quotient);
        EXPECT_EQ(qr.remainder, c.r) << num_to_double(qr.remainder);
    }
}

TEST_F(Numbers, FlooredDivisionErrors) {
    EXPECT_EQ(raised([] { num_divmod(num_int(7), num_int(0)); }), err::division_by_zero);
    EXPECT_EQ(raised([] { num_divmod(raw(7.5), num_int(0)); }), err::division_by_zero);
    // Quotients from 100000000000000.5 up cannot be floored accurately.
    EXPECT_EQ(raised([] { num_divmod(raw(1e15), num_int(1)); }), err::inaccurate_result);
    EXPECT_EQ(raised([] { num_divmod(raw(-3.3e14), num_int(3)); }), err::inaccurate_result);
    EXPECT_EQ(raised([] { num_divmod(raw(1e14), raw(0.9999999)); }), err::inaccurate_result);
    QuotientRemainder below = num_divmod(raw(2e14), raw(2.0));
    EXPECT_TRUE(is_double_cell(below.quotient, 1e14));
    EXPECT_TRUE(is_int_cell(below.remainder, 0));
    // A signalling NaN divisor turns into a quiet NaN whose high word is the integer tag, so the
    // product q*b is not a number and must be reported, not returned as a value.
    Cell snan = make_cell(1, 0xFFF7FFFFu);
    EXPECT_EQ(raised([&] { num_divmod(raw(7.5), snan); }), err::system_error);
}

TEST_F(Numbers, OrderAndEqualityAcrossForms) {
    EXPECT_TRUE(num_less(num_int(-3), num_int(2)));
    EXPECT_FALSE(num_less(num_int(2), num_int(-3)));
    EXPECT_TRUE(num_less(num_int(int_min), num_int(int_max)));
    EXPECT_TRUE(num_less(num_int(3), raw(3.5)));
    EXPECT_FALSE(num_less(raw(3.5), num_int(3)));
    EXPECT_TRUE(num_less(raw(-3.5), raw(-2.5)));
    EXPECT_FALSE(num_less(raw(-2.5), raw(-3.5)));
    EXPECT_TRUE(num_less(raw(-1e300), num_int(int_min)));
    EXPECT_TRUE(num_less(raw(-1e-300), num_int(0)));
    EXPECT_TRUE(num_less(num_int(0), raw(1e-300)));
    EXPECT_TRUE(num_less(raw(-0.5), raw(0.25)));
    EXPECT_TRUE(num_less(raw(2147483647.5), raw(2147483648.0)));
    // Equal values in different forms are equal and neither is less.
    EXPECT_TRUE(num_equal(num_int(-1), raw(-1.0)));
    EXPECT_TRUE(num_equal(raw(2147483647.0), num_int(int_max)));
    EXPECT_FALSE(num_less(num_int(-1), raw(-1.0)));
    EXPECT_FALSE(num_less(raw(-1.0), num_int(-1)));
    EXPECT_FALSE(num_equal(num_int(1), raw(1.0000000000000002)));
    EXPECT_FALSE(num_equal(num_int(1), num_int(-1)));
    EXPECT_TRUE(num_equal(raw(0.1), raw(0.1)));

    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mag(-40, 40);
    for (int i = 0; i < 5000; ++i) {
        double x = std::copysign(std::pow(2.0, mag(rng)), double(rng() % 2) - 0.5);
        double y = i % 3 ? std::copysign(std::pow(2.0, mag(rng)), double(rng() % 2) - 0.5) : x;
        ASSERT_EQ(num_less(raw(x), raw(y)), x < y) << x << " < " << y;
        ASSERT_EQ(num_equal(raw(x), raw(y)), x == y) << x << " = " << y;
    }
}

TEST_F(Numbers, SignTests) {
    EXPECT_FALSE(num_is_negative(num_int(0)));
    EXPECT_FALSE(num_is_positive(num_int(0)));
    EXPECT_TRUE(num_is_negative(num_int(int_min)));
    EXPECT_TRUE(num_is_positive(num_int(1)));
    EXPECT_TRUE(num_is_negative(raw(-1e-300)));
    EXPECT_TRUE(num_is_positive(raw(1e-300)));
    EXPECT_FALSE(num_is_positive(raw(-2.5)));
}

TEST_F(Numbers, RoundAtPointCases) {
    // The half bit in the high word.
    EXPECT_TRUE(is_double_cell(round_at_point(2.5, 1), 3.0));
    EXPECT_TRUE(is_double_cell(round_at_point(2.5, 0), 2.0));
    EXPECT_TRUE(is_double_cell(round_at_point(-2.5, 1), -3.0));
    EXPECT_TRUE(is_double_cell(round_at_point(-2.5, 0), -2.0));
    EXPECT_TRUE(is_double_cell(round_at_point(1.4999, 1), 1.0));
    EXPECT_TRUE(is_double_cell(round_at_point(1.5, 1), 2.0));
    EXPECT_TRUE(is_double_cell(round_at_point(1023.75, 0), 1023.0));
    EXPECT_TRUE(is_double_cell(round_at_point(1.75, 1), 2.0)) << "the carry reaches the exponent";
    EXPECT_TRUE(is_double_cell(round_at_point(-3.5, 1), -4.0));
    EXPECT_TRUE(is_double_cell(round_at_point(1023.5, 1), 1024.0));
    // 0.5 <= |x| < 1.
    EXPECT_TRUE(is_double_cell(round_at_point(0.5, 1), 1.0));
    EXPECT_TRUE(is_double_cell(round_at_point(-0.75, 1), -1.0));
    EXPECT_TRUE(is_int_cell(round_at_point(0.99, 0), 0));
    // |x| < 0.5.
    EXPECT_TRUE(is_int_cell(round_at_point(0.4999, 1), 0));
    EXPECT_TRUE(is_int_cell(round_at_point(-1e-300, 1), 0));
    // The half bit in the low word, with and without a carry into the high word.
    double big = 1099511627776.5; // 2^40 + 0.5
    EXPECT_TRUE(is_double_cell(round_at_point(big, 1), 1099511627777.0));
    EXPECT_TRUE(is_double_cell(round_at_point(big, 0), 1099511627776.0));
    EXPECT_TRUE(is_double_cell(round_at_point(-big, 1), -1099511627777.0));
    EXPECT_TRUE(is_double_cell(round_at_point(4503599627370495.5, 1), 4503599627370496.0));
    EXPECT_TRUE(is_double_cell(round_at_point(4503599627370495.5, 0), 4503599627370495.0));
    EXPECT_TRUE(is_double_cell(round_at_point(4294967295.5, 1), 4294967296.0));
    // Already integral beyond the fraction bits.
    EXPECT_TRUE(is_double_cell(round_at_point(1e20, 1), 1e20));
}

TEST_F(Numbers, FloorFuzzMovesNegativesTowardZero) {
    EXPECT_EQ(floor_fuzz(2.5), 2.5);
    EXPECT_EQ(raw(floor_fuzz(-2.0)), raw(-2.0) - 21);
    // The borrow runs from the low word into the high word.
    Cell edge = make_cell(5, 0xC0000001u);
    EXPECT_EQ(raw(floor_fuzz(double_value(edge))), make_cell(0xFFFFFFF0u, 0xC0000000u));
}

TEST_F(Numbers, FloorAndRound) {
    EXPECT_TRUE(is_int_cell(num_floor(num_int(-7)), -7));
    EXPECT_TRUE(is_int_cell(num_floor(raw(-2.0)), -2));
    EXPECT_TRUE(is_int_cell(num_floor(raw(-2.5)), -3));
    EXPECT_TRUE(is_int_cell(num_floor(raw(2.9)), 2));
    EXPECT_TRUE(is_int_cell(num_floor(raw(0.5)), 0));
    EXPECT_TRUE(is_int_cell(num_floor(raw(-0.5)), -1));
    EXPECT_TRUE(is_int_cell(num_floor(raw(-1e-300)), -1));
    EXPECT_TRUE(is_int_cell(num_floor(raw(-2.0000000000000004)), -2)) << "within the fuzz";
    EXPECT_TRUE(is_int_cell(num_floor(raw(-2.00000000001)), -3)) << "beyond the fuzz";
    EXPECT_TRUE(is_int_cell(num_floor(raw(-2147483647.5)), int_min));
    EXPECT_TRUE(is_double_cell(num_floor(raw(-2147483648.5)), -2147483649.0));
    EXPECT_TRUE(is_double_cell(num_floor(raw(3e20)), 3e20));
    EXPECT_TRUE(is_double_cell(num_floor(raw(-3e20)), -3e20));
    EXPECT_TRUE(is_double_cell(num_floor(raw(1e12 + 0.75)), 1e12));
    // From 2^44 to 2^52 doubles still carry fraction bits, which floor and round must remove.
    EXPECT_TRUE(is_double_cell(num_floor(raw(17592186044416.5)), 17592186044416.0));
    EXPECT_TRUE(is_double_cell(num_floor(raw(-17592186044416.5)), -17592186044417.0));
    EXPECT_TRUE(is_double_cell(num_floor(raw(2251799813685247.5)), 2251799813685247.0));
    EXPECT_TRUE(is_double_cell(num_floor(raw(-4503599627370495.5)), -4503599627370496.0));
    EXPECT_TRUE(is_double_cell(num_floor(raw(-4503599627370495.0)), -4503599627370495.0));
    QuotientRemainder qr = num_divmod(raw(17592186044416.5), num_int(1));
    EXPECT_TRUE(is_double_cell(qr.quotient, 17592186044416.0));
    EXPECT_TRUE(is_double_cell(qr.remainder, 0.5));

    EXPECT_TRUE(is_int_cell(num_round(raw(2.5)), 3));
    EXPECT_TRUE(is_int_cell(num_round(raw(-2.5)), -2));
    EXPECT_TRUE(is_int_cell(num_round(raw(2.4999)), 2));
    EXPECT_TRUE(is_int_cell(num_round(raw(-2.5001)), -3));
    EXPECT_TRUE(is_int_cell(num_round(raw(0.5)), 1));
    EXPECT_TRUE(is_int_cell(num_round(raw(-0.5)), 0));
    EXPECT_TRUE(is_int_cell(num_round(raw(-0.49)), 0));
    EXPECT_TRUE(is_int_cell(num_round(raw(2147483646.5)), int_max));
    EXPECT_TRUE(is_double_cell(num_round(raw(2147483647.5)), 2147483648.0));
    EXPECT_TRUE(is_double_cell(num_round(raw(3e20)), 3e20));
    EXPECT_TRUE(is_double_cell(num_round(raw(17592186044416.5)), 17592186044417.0));
    EXPECT_TRUE(is_double_cell(num_round(raw(-17592186044416.5)), -17592186044416.0));
    EXPECT_TRUE(is_double_cell(num_round(raw(-17592186044416.75)), -17592186044417.0));
    EXPECT_TRUE(is_double_cell(num_round(raw(4503599627370495.5)), 4503599627370496.0));
    EXPECT_TRUE(is_int_cell(num_round(num_int(int_min)), int_min));
}

TEST_F(Numbers, NarrowConvertsIntegralDoublesWithinThirtyTwoBits) {
    EXPECT_TRUE(is_int_cell(num_narrow(raw(2147483647.0)), int_max));
    EXPECT_TRUE(is_int_cell(num_narrow(raw(-2147483648.0)), int_min));
    EXPECT_TRUE(is_double_cell(num_narrow(raw(2147483648.0)), 2147483648.0));
    EXPECT_TRUE(is_double_cell(num_narrow(raw(-2147483649.0)), -2147483649.0));
    EXPECT_TRUE(is_int_cell(num_narrow(raw(-3.0)), -3));
    EXPECT_TRUE(is_int_cell(num_narrow(num_int(9)), 9));
    Cell nan = raw(std::nan(""));
    EXPECT_EQ(num_narrow(nan), nan);
}

TEST_F(Numbers, ToInt32RoundsAndSaturates) {
    EXPECT_EQ(num_to_int32(num_int(-12)), -12);
    EXPECT_EQ(num_to_int32(raw(2.5)), 3);
    EXPECT_EQ(num_to_int32(raw(-2.5)), -2);
    EXPECT_EQ(num_to_int32(raw(2147483647.4)), int_max);
    EXPECT_EQ(num_to_int32(raw(2147483647.5)), int_max);
    EXPECT_EQ(num_to_int32(raw(3e9)), int_max);
    EXPECT_EQ(num_to_int32(raw(1e300)), int_max);
    EXPECT_EQ(num_to_int32(raw(-2147483648.4)), int_min);
    EXPECT_EQ(num_to_int32(raw(-3e9)), int_min);
    EXPECT_EQ(num_to_int32(raw(-1e300)), int_min);
}

TEST_F(Numbers, MaxIsTheLargestFiniteDouble) {
    EXPECT_EQ(num_max(), DBL_MAX);
    EXPECT_EQ(raw(num_max()), make_cell(0xFFFFFFFFu, 0x7FEFFFFFu));
}

// --- Randomized check of the four operations on integer operands against exact arithmetic ---

// d's value times 2^-scale as an exact integer; the caller picks scale at or below d's last bit.
Int128 scaled(double d, int scale) {
    int e;
    double f = std::frexp(d, &e);
    auto m = static_cast<int64_t>(std::ldexp(f, 53)); // d = m * 2^(e - 53), exactly
    return Int128{m} * (Int128{1} << (e - 53 - scale));
}

int last_bit(double d) {
    int e;
    std::frexp(d, &e);
    return e - 53;
}

// Whether d is num / den rounded to the nearest double, ties to even.
::testing::AssertionResult is_nearest(double d, int64_t num, int64_t den) {
    double below = std::nextafter(d, -INFINITY), above = std::nextafter(d, INFINITY);
    int scale = std::min({last_bit(d), last_bit(below), last_bit(above), 0});
    Int128 target = Int128{num} * (Int128{1} << -scale);
    auto distance = [&](double c) {
        Int128 diff = target - scaled(c, scale) * den;
        return diff < 0 ? -diff : diff;
    };
    Int128 here = distance(d), down = distance(below), up = distance(above);
    bool even = (static_cast<int64_t>(std::ldexp(std::frexp(d, &scale), 53)) & 1) == 0;
    if (here < down && here < up) return ::testing::AssertionSuccess();
    if ((here == down || here == up) && here <= down && here <= up && even)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << d << " is not the nearest double to " << num << "/" << den;
}

// Operands from the regions where the fast paths change behaviour.
int32_t random_operand(std::mt19937_64& rng) {
    switch (rng() % 6) {
    case 0: return static_cast<int32_t>(rng());
    case 1: return static_cast<int32_t>(rng() % 201) - 100;
    case 2: return static_cast<int32_t>(46341 - rng() % 8) * (rng() % 2 ? 1 : -1);
    case 3: return int_max - static_cast<int32_t>(rng() % 50);
    case 4: return int_min + static_cast<int32_t>(rng() % 50);
    default: {
        int32_t magnitude = static_cast<int32_t>(rng() % (1u << (rng() % 31)));
        return rng() % 2 ? magnitude : -magnitude;
    }
    }
}

::testing::AssertionResult matches(Cell got, bool integer_form, int64_t num, int64_t den) {
    if (integer_form) {
        if (den != 1 || num < int_min || num > int_max)
            return ::testing::AssertionFailure() << "reference wants an integer that does not fit";
        return is_int_cell(got, static_cast<int32_t>(num));
    }
    if (is_int(got)) return ::testing::AssertionFailure() << "integer form " << int_value(got);
    return is_nearest(double_value(got), num, den);
}

bool fits(int64_t v) {
    return v >= int_min && v <= int_max;
}

TEST_F(Numbers, RandomizedIntegerArithmeticAgainstExactReference) {
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 20000; ++i) {
        int32_t a = random_operand(rng), b = random_operand(rng);
        if (rng() % 5 == 0 && std::abs(int64_t{a}) < 92681) {
            // |a| + |b| right at the limit of the integer product.
            auto magnitude = static_cast<int32_t>(92681 - std::abs(a) + int32_t(rng() % 5) - 2);
            b = rng() % 2 ? magnitude : -magnitude;
        }
        int64_t x = a, y = b;
        SCOPED_TRACE(::testing::Message() << "a = " << a << ", b = " << b);
        Cell ca = num_int(a), cb = num_int(b);

        ASSERT_TRUE(matches(num_add(ca, cb), fits(x + y), x + y, 1));
        ASSERT_TRUE(matches(num_sub(ca, cb), fits(x - y), x - y, 1));

        int64_t product = x * y;
        bool fast = std::abs(x) + std::abs(y) <= 92681;
        ASSERT_TRUE(matches(num_mul(ca, cb), fast || product == 0, product, 1));

        if (b == 0) {
            ASSERT_EQ(raised([&] { num_div(ca, cb); }), err::division_by_zero);
            ASSERT_EQ(raised([&] { num_divmod(ca, cb); }), err::division_by_zero);
            continue;
        }
        bool exact = x % y == 0 && fits(x / y);
        int64_t num = y < 0 ? -x : x, den = y < 0 ? -y : y;
        ASSERT_TRUE(matches(num_div(ca, cb), exact, exact ? x / y : num, exact ? 1 : den));

        int64_t q = x / y, r = x % y;
        if (r != 0 && (r < 0) != (y < 0)) --q, r += y;
        QuotientRemainder qr = num_divmod(ca, cb);
        ASSERT_TRUE(matches(qr.quotient, fits(q), q, 1));
        ASSERT_TRUE(is_int_cell(qr.remainder, static_cast<int32_t>(r)));
    }
}

} // namespace
} // namespace quillet
