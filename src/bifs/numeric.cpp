// Numeric bifs: rounding, binary scaling, floored division, the elementary functions and the
// random generator. Each reads its operands first and stores its result last, so a raised error
// leaves the result cell as it was.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "values/numeric_functions.h"
#include "values/random_numbers.h"

#include <ctime>
#include <unistd.h>

namespace quillet {
namespace {

// x, R: R = f(x).
template <Cell (*f)(Cell)>
void unary() {
    Cell x = load_cell(num_operand());
    Addr result = num_operand();
    store_cell(result, f(x));
}

void frexp_exponent() {
    Cell x = load_cell(num_operand());
    set_int_operand(binary_exponent(x));
}

void ldexp_scale() {
    Cell x = load_cell(num_operand());
    int32_t n = int_operand();
    Addr result = num_operand();
    store_cell(result, num_ldexp(x, n));
}

void floored_division() {
    Cell a = load_cell(num_operand());
    Cell b = load_cell(num_operand());
    Addr quotient = num_operand();
    Addr remainder = num_operand();
    QuotientRemainder qr = num_divmod(a, b);
    store_cell(quotient, qr.quotient);
    store_cell(remainder, qr.remainder);
}

void random_number() {
    num_set_double(num_operand(), random_next(random_state));
}

void reseed() {
    random_reseed(random_state, uint32_t(getpid()), uint32_t(std::time(nullptr)));
}

void nothing() {}

Cell same(Cell x) {
    return x;
} // the cell as stored, integer form included

} // namespace

void install_numeric_bifs(BifTable& t) {
    t.install(bif::floor, unary<num_floor>);
    t.install(bif::round, unary<num_round>);
    t.install(bif::binary_exponent, frexp_exponent);
    t.install(bif::ldexp, ldexp_scale);
    t.install(bif::divmod, floored_division);
    t.install(bif::rnd, random_number);
    t.install(bif::sqr, unary<num_sqrt>);
    t.install(bif::exp, unary<num_exp>);
    t.install(bif::log, unary<num_log>);
    t.install(bif::log2, unary<num_log2>);
    t.install(bif::log10, unary<num_log10>);
    t.install(bif::sin, unary<num_sin>);
    t.install(bif::cos, unary<num_cos>);
    t.install(bif::tan, unary<num_tan>);
    t.install(bif::atn, unary<num_atan>);
    t.install(bif::randomize, reseed);
    t.install(bif::asin, unary<num_asin>);
    t.install(bif::acos, unary<num_acos>);
    t.install(bif::sinh, unary<num_sinh>);
    t.install(bif::cosh, unary<num_cosh>);
    t.install(bif::tanh, unary<num_tanh>);
    t.install(bif::numeric_nop, nothing);
    t.install(bif::numeric_copy, unary<same>);
}

} // namespace quillet
