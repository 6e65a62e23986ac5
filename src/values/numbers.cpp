#include "values/numbers.h"

#include "values/values_state.h"

#include <cmath>

namespace quillet {
namespace {

constexpr int32_t int_min = INT32_MIN;

// |q| at or above this cannot be floored accurately (100000000000000.5).
double quotient_limit() {
    return std::bit_cast<double>(make_cell(0x1E900020u, 0x42D6BCC4u));
}

unsigned biased_exponent(Cell c) {
    return (cell_hi(c) >> 20) & 0x7FF;
}

// From 2^44 (biased exponent 1067) the fuzz of 21 units in the last place is no longer a hair, so
// floor and round work exactly there; doubles below 2^52 can still hold fraction bits.
bool floors_exactly(Cell a) {
    return biased_exponent(a) > 1066;
}
bool is_integral_double(Cell a) {
    return biased_exponent(a) > 1074;
}

} // namespace

void num_overflowed() {
    if (!overflow_policy.goes_on || !overflow_policy.goes_on()) raise_error(err::overflow);
}

Cell num_div(Cell a, Cell b) {
    if (is_int(b) ? int_value(b) == 0 : double_value(b) == 0.0) raise_error(err::division_by_zero);
    if (both_int(a, b)) {
        int32_t x = int_value(a), y = int_value(b);
        if (x == int_min && y == -1) return num_double(2147483648.0);
        if (x % y == 0) return num_int(x / y);
        return num_double(double(x) / double(y));
    }
    return num_double(num_to_double(a) / num_to_double(b));
}

QuotientRemainder num_divmod(Cell a, Cell b) {
    if (is_int(b) && int_value(b) == 0) raise_error(err::division_by_zero);
    if (both_int(a, b)) {
        int32_t x = int_value(a), y = int_value(b);
        if (x == int_min && y == -1) return {num_double(2147483648.0), num_int(0)};
        int32_t q = x / y, r = x % y;
        if (r != 0 && (r < 0) != (y < 0)) {
            --q;
            r += y;
        }
        return {num_int(q), num_int(r)};
    }
    double x = num_to_double(a), y = num_to_double(b);
    // Under an overflow policy that goes on with infinity, an infinite quotient is still no
    // quotient to floor: it lies past the exact range, as a finite one that large does.
    if (overflow_policy.goes_on && std::isinf(x / y)) raise_error(err::inaccurate_result);
    Cell q = num_double(x / y);
    if (!is_int(q)) {
        if (std::fabs(double_value(q)) >= quotient_limit()) raise_error(err::inaccurate_result);
        q = num_floor(q);
    }
    double p = num_to_double(q) * y;
    Cell pattern = std::bit_cast<Cell>(p);
    if (std::isinf(p)) {
        // q * b passes the largest number while a - q * b does not (MOD(-1.5E308, 1E308)):
        // under that policy the remainder is taken in one rounding; otherwise it is 1002.
        if (!overflow_policy.goes_on) raise_error(err::overflow);
        return {q, num_double(std::fma(-num_to_double(q), y, x))};
    }
    if (cell_hi(pattern) == int_tag) raise_error(err::system_error);
    if (p == 0.0) return {q, a};
    return {q, num_double(x - p)};
}

bool num_less_general(Cell a, Cell b) {
    Cell x = std::bit_cast<Cell>(num_to_double(a));
    Cell y = std::bit_cast<Cell>(num_to_double(b));
    bool x_negative = cell_hi(x) & 0x80000000u, y_negative = cell_hi(y) & 0x80000000u;
    if (x_negative != y_negative) return x_negative;
    // Magnitudes compare as unsigned 63-bit patterns; between negatives the order flips.
    uint64_t mx = x & ~(uint64_t{1} << 63), my = y & ~(uint64_t{1} << 63);
    return x_negative ? my < mx : mx < my;
}

Cell round_at_point(double x, int half) {
    Cell c = std::bit_cast<Cell>(x);
    uint32_t hi = cell_hi(c), lo = cell_lo(c);
    int k = 1074 - static_cast<int>(biased_exponent(c));
    if (k < 0) return c; // no fraction bits: already integral
    if (k >= 32) {
        int j = k - 32;
        if (j > 20) return num_int(0);
        if (j == 20) {
            if (!half) return num_int(0);
            return make_cell(0, (hi & 0x80000000u) | 0x3FF00000u);
        }
        hi += static_cast<uint32_t>(half) << j;
        hi &= ~((uint32_t{2} << j) - 1);
        return num_double(std::bit_cast<double>(make_cell(0, hi)));
    }
    uint64_t sum = uint64_t{lo} + (uint64_t{static_cast<uint32_t>(half)} << k);
    if (sum >> 32) ++hi;
    lo = static_cast<uint32_t>(sum) & static_cast<uint32_t>(~((uint64_t{2} << k) - 1));
    return num_double(std::bit_cast<double>(make_cell(lo, hi)));
}

double floor_fuzz(double x) {
    Cell c = std::bit_cast<Cell>(x);
    if (!(cell_hi(c) & 0x80000000u)) return x;
    return std::bit_cast<double>(c - 21);
}

Cell num_narrow(Cell x) {
    if (is_int(x)) return x;
    double d = double_value(x);
    if (d >= -2147483648.0 && d <= 2147483647.0) return num_int(static_cast<int32_t>(d));
    return x;
}

Cell num_floor(Cell a) {
    if (is_int(a) || is_integral_double(a)) return a;
    if (floors_exactly(a)) return num_double(std::floor(double_value(a)));
    double x = floor_fuzz(double_value(a));
    if (std::signbit(x)) x -= 1.0;
    return num_narrow(round_at_point(x, 0));
}

Cell num_round(Cell a) {
    if (is_int(a) || is_integral_double(a)) return a;
    // Below 2^52 adding one half is exact.
    if (floors_exactly(a)) return num_double(std::floor(double_value(a) + 0.5));
    return num_narrow(round_at_point(floor_fuzz(double_value(a)), 1));
}

int32_t num_to_int32_general(Cell a) {
    Cell r = num_round(a);
    if (is_int(r)) return int_value(r);
    return num_is_negative(r) ? INT32_MIN : INT32_MAX;
}

} // namespace quillet
