// Numeric bifs: rounding, binary scaling, floored division, the elementary functions and the
// random generator. Each reads its operands first and stores its result last, so a raised error
// leaves the result cell as it was.
#include "interp/bif_dispatch.h"
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

void frexp_exponent() { // 26
    Cell x = load_cell(num_operand());
    set_int_operand(binary_exponent(x));
}

void ldexp_scale() { // 27
    Cell x = load_cell(num_operand());
    int32_t n = int_operand();
    Addr result = num_operand();
    store_cell(result, num_ldexp(x, n));
}

void floored_division() { // 32
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
} // 64

void reseed() { // 240
    random_reseed(random_state, uint32_t(getpid()), uint32_t(std::time(nullptr)));
}

void nothing() {} // 373

Cell same(Cell x) {
    return x;
} // 374: the cell as stored, integer form included

} // namespace

void install_numeric_bifs(BifTable& t) {
    t.native[3] = unary<num_floor>;
    t.native[5] = unary<num_round>;
    t.native[26] = frexp_exponent;
    t.native[27] = ldexp_scale;
    t.native[32] = floored_division;
    t.native[64] = random_number;
    t.native[65] = unary<num_sqrt>;
    t.native[67] = unary<num_exp>;
    t.native[68] = unary<num_log>;
    t.native[69] = unary<num_log2>;
    t.native[70] = unary<num_log10>;
    t.native[71] = unary<num_sin>;
    t.native[72] = unary<num_cos>;
    t.native[73] = unary<num_tan>;
    t.native[74] = unary<num_atan>;
    t.native[240] = reseed;
    t.native[304] = unary<num_asin>;
    t.native[305] = unary<num_acos>;
    t.native[306] = unary<num_sinh>;
    t.native[307] = unary<num_cosh>;
    t.native[308] = unary<num_tanh>;
    t.native[373] = nothing;
    t.native[374] = unary<same>;
}

} // namespace quillet
