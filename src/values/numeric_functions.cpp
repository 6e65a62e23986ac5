#include "values/numeric_functions.h"

#include <cmath>

namespace quillet {
namespace {

// Overflow is detected from the result: a finite argument whose result is infinite overflowed.
// An underflow (a zero or subnormal result) is no error: num_double turns it into integer 0.
// An infinite argument is passed through, and num_double reports the infinite result as 1002.
Cell checked(double x, double r, int32_t overflow_code) {
    if (std::isinf(r) && std::isfinite(x)) raise_error(overflow_code);
    return num_double(r);
}

// The sine, cosine and tangent of the Windows run-time library give up on arguments of 2^63 and
// beyond, reporting a total loss of precision; there a double's unit in the last place is so far
// beyond 2 pi that no digit of the result would mean anything, so the same limit holds here.
double trig_argument(Cell c) {
    double x = num_to_double(c);
    if (!(std::fabs(x) < 0x1p63) && !std::isnan(x)) raise_error(err::trig_argument_large);
    return x;
}

} // namespace

Cell num_sqrt(Cell c) {
    double x = num_to_double(c);
    if (x < 0.0) raise_error(err::sqr_negative);
    return num_double(std::sqrt(x));
}

Cell num_exp(Cell c) {
    double x = num_to_double(c);
    return checked(x, std::exp(x), err::function_overflow);
}

Cell num_log(Cell c) {
    double x = num_to_double(c);
    if (x <= 0.0) raise_error(err::log_not_positive);
    return num_double(std::log(x));
}

Cell num_log2(Cell c) {
    double x = num_to_double(c);
    if (x <= 0.0) raise_error(err::log_not_positive);
    return num_double(std::log(x) / 0.6931471805599453);
}

Cell num_log10(Cell c) {
    double x = num_to_double(c);
    if (x <= 0.0) raise_error(err::log_not_positive);
    return num_double(std::log10(x));
}

Cell num_sin(Cell c) {
    return num_double(std::sin(trig_argument(c)));
}
Cell num_cos(Cell c) {
    return num_double(std::cos(trig_argument(c)));
}
Cell num_tan(Cell c) {
    return num_double(std::tan(trig_argument(c)));
}
Cell num_atan(Cell c) {
    return num_double(std::atan(num_to_double(c)));
}

Cell num_asin(Cell c) {
    double x = num_to_double(c);
    if (x < -1.0 || x > 1.0) raise_error(err::asin_acos_range);
    return num_double(std::asin(x));
}

Cell num_acos(Cell c) {
    double x = num_to_double(c);
    if (x < -1.0 || x > 1.0) raise_error(err::asin_acos_range);
    return num_double(std::acos(x));
}

Cell num_sinh(Cell c) {
    double x = num_to_double(c);
    return checked(x, std::sinh(x), err::function_overflow);
}

Cell num_cosh(Cell c) {
    double x = num_to_double(c);
    return checked(x, std::cosh(x), err::function_overflow);
}

Cell num_tanh(Cell c) {
    return num_double(std::tanh(num_to_double(c)));
}

Cell num_ldexp(Cell c, int32_t n) {
    double x = num_to_double(c);
    return checked(x, std::ldexp(x, n), err::overflow);
}

int32_t binary_exponent(Cell c) {
    int e = 0;
    std::frexp(num_to_double(c), &e);
    return e - 1;
}

} // namespace quillet
