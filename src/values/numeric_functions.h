// The elementary functions of BASIC on number cells: domain checks before the call, range and
// precision checks after it, and every result normalized as num_double stores it. A function
// raises before it returns, so a caller that stores the result afterwards leaves its destination
// unchanged on error.
#pragma once

#include "values/numbers.h"

#include <cstdint>

namespace quillet {

namespace err {
inline constexpr int32_t function_overflow = 1003;    // overflow in a numeric function
inline constexpr int32_t log_not_positive = 3004;     // LOG of a number <= 0
inline constexpr int32_t sqr_negative = 3005;         // SQR of a negative number
inline constexpr int32_t asin_acos_range = 3007;      // ASIN or ACOS argument beyond -1..1
inline constexpr int32_t trig_argument_large = -3050; // SIN, COS or TAN argument too large
} // namespace err

Cell num_sqrt(Cell x);
Cell num_exp(Cell x);
Cell num_log(Cell x);
Cell num_log2(Cell x);
Cell num_log10(Cell x);
Cell num_sin(Cell x);
Cell num_cos(Cell x);
Cell num_tan(Cell x);
Cell num_atan(Cell x);
Cell num_asin(Cell x);
Cell num_acos(Cell x);
Cell num_sinh(Cell x);
Cell num_cosh(Cell x);
Cell num_tanh(Cell x);

// x * 2^n; 1002 when the result overflows, integer 0 when it underflows.
Cell num_ldexp(Cell x, int32_t n);

// k with 2^k <= |x| < 2^(k+1) (frexp's exponent less one); -1 for zero.
int32_t binary_exponent(Cell x);

} // namespace quillet
