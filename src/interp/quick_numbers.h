// The arithmetic the decoded ops run inline, for integer, double and mixed operands alike. Each
// gives exactly what the primitive of values/numbers.h gives (num_add, num_sub, num_mul,
// num_less), without a call and without ever raising: where the primitive would have to
// normalize its result (zero, a subnormal, infinity or NaN), the quick form says so and the op
// calls the primitive, which then raises or normalizes as always.
#pragma once

#include "values/numbers.h"

#include <bit>
#include <cstdint>

namespace quillet {

namespace quick {

struct Add {
    static bool int_result(int32_t a, int32_t b, int32_t& r) {
        return !__builtin_add_overflow(a, b, &r);
    }
    static double apply(double a, double b) { return a + b; }
};

struct Sub {
    static bool int_result(int32_t a, int32_t b, int32_t& r) {
        return !__builtin_sub_overflow(a, b, &r);
    }
    static double apply(double a, double b) { return a - b; }
};

// Integer products stay integers while |a| + |b| <= 92681, as num_mul keeps them.
struct Mul {
    static bool int_result(int32_t a, int32_t b, int32_t& r) {
        uint64_t sum = uint64_t{detail::magnitude(a)} + detail::magnitude(b);
        r = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
        return sum <= 92681;
    }
    static double apply(double a, double b) { return a * b; }
};

// A double as a signed 64-bit key whose order is num_less_general's sign-and-magnitude order of
// bit patterns: negative patterns have their magnitude bits flipped.
QUILLET_HOT_INLINE int64_t order_key_of_bits(uint64_t pattern) {
    int64_t bits = static_cast<int64_t>(pattern);
    return bits ^ ((bits >> 63) & INT64_MAX);
}
QUILLET_HOT_INLINE int64_t order_key(double d) {
    return order_key_of_bits(std::bit_cast<uint64_t>(d));
}

// The key of a number cell: a double's is taken from its bits where they are, an integer's from
// the double it converts to. The conversion is made either way and the bits chosen without a
// branch: compares of mixed and double operands then run straight through.
QUILLET_HOT_INLINE int64_t order_key(Cell c) {
    uint64_t converted = std::bit_cast<uint64_t>(double(int_value(c)));
    return order_key_of_bits(is_int(c) ? converted : c);
}

} // namespace quick

// The result of Rule (quick::Add, Sub or Mul) in r and true, when the primitive stores it as
// computed: an integer result, or a double that is neither zero, subnormal, infinite nor NaN
// (integer overflow always gives such a double). False when the primitive must do the work.
template <typename Rule>
QUILLET_HOT_INLINE bool quick_arithmetic(Cell a, Cell b, Cell& r) {
    if (both_int(a, b)) {
        int32_t v;
        if (Rule::int_result(int_value(a), int_value(b), v)) [[likely]] {
            r = num_int(v);
            return true;
        }
    }
    r = std::bit_cast<Cell>(Rule::apply(num_to_double(a), num_to_double(b)));
    return is_plain_double(r);
}

// num_less, inline for every pair of operands. Two doubles (the test of both at once may take
// two of odd NaN patterns for a pair with an integer, which the last line also orders rightly)
// are ordered by their bits as they are.
QUILLET_HOT_INLINE bool quick_less(Cell a, Cell b) {
    if (both_int(a, b)) return int_value(a) < int_value(b);
    if ((a | b) < Cell{int_tag} << 32) [[likely]]
        return quick::order_key_of_bits(a) < quick::order_key_of_bits(b);
    return quick::order_key(a) < quick::order_key(b);
}

} // namespace quillet
