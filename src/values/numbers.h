// Number cells and the arithmetic every BASIC program observes.
//
// A number cell is 8 bytes: integer form has high word 0xFFFFFFFF and the signed value in the low
// word; anything else is an IEEE double. Every double the engine stores goes through num_double,
// which turns zeros and subnormals into integer 0 and raises 1002 on infinity, so zero is always
// integer 0 and a double-form number is never zero. The primitives take and return cells by
// value; a caller stores the result only after the primitive returned, so a raised error leaves
// the destination as it was.
#pragma once

#include "values/arena.h"
#include "values/errors.h"

#include <bit>
#include <cstdint>

namespace quillet {

inline constexpr uint32_t int_tag = 0xFFFFFFFFu;

inline constexpr uint32_t cell_hi(Cell c) {
    return static_cast<uint32_t>(c >> 32);
}
inline constexpr uint32_t cell_lo(Cell c) {
    return static_cast<uint32_t>(c);
}
inline constexpr Cell make_cell(uint32_t lo, uint32_t hi) {
    return (Cell{hi} << 32) | lo;
}

// A high word of all ones is the top of the 64-bit range: one compare.
inline constexpr bool is_int(Cell c) {
    return c >= Cell{int_tag} << 32;
}
inline constexpr int32_t int_value(Cell c) {
    return static_cast<int32_t>(cell_lo(c));
}
inline double double_value(Cell c) {
    return std::bit_cast<double>(c);
}

// Both in integer form: one test of the two tags together (a high word of all ones is the
// top of the 64-bit range).
inline constexpr bool both_int(Cell a, Cell b) {
    return (a & b) >= Cell{int_tag} << 32;
}

// The value as a double, whichever the form.
inline double num_to_double(Cell c) {
    return is_int(c) ? int_value(c) : double_value(c);
}

inline constexpr Cell num_int(int32_t v) {
    return make_cell(static_cast<uint32_t>(v), int_tag);
}

// Whether a double is stored as it is: neither zero, subnormal, infinite nor NaN. One test finds
// the rare cases: an exponent field of 0 or all ones.
QUILLET_HOT_INLINE bool is_plain_double(Cell c) {
    // In the high word without the sign, exponent 1 to 0x7FE is one range above 1 << 21.
    uint32_t hi = cell_hi(c);
    return (hi << 1) - (uint32_t{1} << 21) < uint32_t{0x7FE} << 21;
}

// An infinite result raises 1002. A compiled program's library asks (bif 437 "QUILLET
// OVERFLOW") that an overflow which no protected part takes give the infinity instead, with a
// warning, as Minimal BASIC's overflow does: overflow_policy.goes_on (values_state.h) then
// answers, for the overflow at hand, whether the program goes on with it.
void num_overflowed();

// A double normalized for storing: zero and subnormals become integer 0; infinity raises 1002
// (or is stored, as the overflow policy says).
QUILLET_HOT_INLINE Cell num_double(double d) {
    Cell c = std::bit_cast<Cell>(d);
    if (!is_plain_double(c)) [[unlikely]] {
        if ((c >> 52 & 0x7FF) == 0) return num_int(0);
        if ((c << 12) == 0) num_overflowed(); // infinity; NaN stays as it is
    }
    return c;
}

// Stores into arena cells, as built-ins write their results.
inline void num_set_int(Addr cell, int32_t v) {
    store_cell(cell, num_int(v));
}
inline void num_set_double(Addr cell, double d) {
    store_cell(cell, num_double(d));
}

QUILLET_HOT_INLINE Cell num_add(Cell a, Cell b) {
    if (both_int(a, b)) {
        int32_t s;
        if (!__builtin_add_overflow(int_value(a), int_value(b), &s)) [[likely]]
            return num_int(s);
        return num_double(double(int_value(a)) + double(int_value(b)));
    }
    return num_double(num_to_double(a) + num_to_double(b));
}

QUILLET_HOT_INLINE Cell num_sub(Cell a, Cell b) {
    if (both_int(a, b)) {
        int32_t d;
        if (!__builtin_sub_overflow(int_value(a), int_value(b), &d)) [[likely]]
            return num_int(d);
        return num_double(double(int_value(a)) - double(int_value(b)));
    }
    return num_double(num_to_double(a) - num_to_double(b));
}

namespace detail {
inline uint32_t magnitude(int32_t v) {
    return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
}
} // namespace detail

// Integer products stay integers while |a| + |b| <= 92681, where no product can overflow.
QUILLET_HOT_INLINE Cell num_mul(Cell a, Cell b) {
    if (both_int(a, b)) {
        uint64_t sum = uint64_t{detail::magnitude(int_value(a))} + detail::magnitude(int_value(b));
        if (sum <= 92681) return num_int(int_value(a) * int_value(b));
    }
    return num_double(num_to_double(a) * num_to_double(b));
}

Cell num_div(Cell a, Cell b);

struct QuotientRemainder {
    Cell quotient;
    Cell remainder;
};

// Floored division: a = q*b + r with r zero or of b's sign and |r| < |b|.
QuotientRemainder num_divmod(Cell a, Cell b);

// Sign-and-magnitude comparison of the bit patterns; numeric order for normalized values.
bool num_less_general(Cell a, Cell b);

QUILLET_HOT_INLINE bool num_less(Cell a, Cell b) {
    if (both_int(a, b)) return int_value(a) < int_value(b);
    return num_less_general(a, b);
}

inline bool num_equal(Cell a, Cell b) {
    if (both_int(a, b)) return cell_lo(a) == cell_lo(b);
    return std::bit_cast<Cell>(num_to_double(a)) == std::bit_cast<Cell>(num_to_double(b));
}

inline bool num_is_negative(Cell a) {
    return is_int(a) ? int_value(a) < 0 : (cell_hi(a) & 0x80000000u) != 0;
}
inline bool num_is_positive(Cell a) {
    return is_int(a) ? int_value(a) > 0 : (cell_hi(a) & 0x80000000u) == 0;
}

// Rounds a double at its binary point: half = 1 rounds halves away from zero, half = 0
// truncates toward zero. A result below one half in magnitude is integer 0.
Cell round_at_point(double x, int half);

// Moves a negative double 21 units in the last place toward zero, so values a hair beyond an
// integer act as that integer under floor and round.
double floor_fuzz(double x);

// Integral doubles within 32 bits become integer form.
Cell num_narrow(Cell x);

Cell num_floor(Cell a);

// Round half up: 2.5 gives 3, -2.5 gives -2.
Cell num_round(Cell a);

// The value as a 32-bit integer: doubles rounded with num_round, saturated to the 32-bit range.
int32_t num_to_int32_general(Cell a);

QUILLET_HOT_INLINE int32_t num_to_int32(Cell a) {
    return is_int(a) ? int_value(a) : num_to_int32_general(a);
}

inline double num_max() {
    return std::bit_cast<double>(make_cell(0xFFFFFFFFu, 0x7FEFFFFFu));
}

} // namespace quillet
