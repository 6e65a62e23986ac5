// Bifs of arrays and matrices: redimensioning, bounds queries, maximum lengths, and the inner
// loops of matrix arithmetic.
#include "interp/bif_dispatch.h"
#include "interp/operands.h"
#include "values/arrays.h"
#include "values/strings.h"

namespace quillet {
namespace {

template <Addr (*array_operand)()>
void redim() { // 80, 81
    Addr cell = array_operand();
    array_redim(cell, load_u32(str_operand()));
}

template <Addr (*array_operand)(), bool lower_bound, bool zero_means_all>
void bound_query() { // 84..87, 348..351
    Addr block = load_u32(array_operand());
    int32_t d = int_operand();
    Addr result = num_operand();
    int32_t v = lower_bound ? array_lbound_query(block, d, zero_means_all)
                            : array_size_query(block, d, zero_means_all);
    num_set_int(result, v);
}

template <Addr (*array_operand)()>
void no_limit() { // 341, 342
    array_operand();
    set_int_operand(no_max_length);
}

void string_max_length() {
    set_int_operand(StringCell{str_operand()}.max_length());
} // 343

void array_max_length() { // 344
    Addr block = load_u32(str_array_operand());
    set_int_operand(ArrayBlock{block}.max_length());
}

void product() { // 483
    Addr x = load_u32(num_array_operand());
    Addr y = load_u32(num_array_operand());
    Addr z = load_u32(num_array_operand());
    for (int i = 0; i < 3; ++i)
        int_operand();
    int32_t p = int_operand(), q = int_operand(), r = int_operand();
    matrix_product(x, y, z, p, q, r);
}

void solve() { // 484
    Addr x = load_u32(num_array_operand());
    int32_t n = int_operand();
    Addr y = load_u32(num_array_operand());
    Addr z = load_u32(num_array_operand());
    triangular_solve(x, n, y, z);
}

void block_copy() { // 485
    Addr x = load_u32(num_array_operand());
    Addr y = load_u32(num_array_operand());
    int32_t from = int_operand(), to = int_operand(), count = int_operand();
    array_copy_elements(x, y, from, to, count);
}

} // namespace

void install_array_bifs(BifTable& t) {
    t.native[80] = redim<num_array_operand>;
    t.native[81] = redim<str_array_operand>;
    t.native[84] = bound_query<num_array_operand, false, true>;
    t.native[85] = bound_query<str_array_operand, false, true>;
    t.native[86] = bound_query<num_array_operand, true, true>;
    t.native[87] = bound_query<str_array_operand, true, true>;
    t.native[348] = bound_query<num_array_operand, false, false>;
    t.native[349] = bound_query<str_array_operand, false, false>;
    t.native[350] = bound_query<num_array_operand, true, false>;
    t.native[351] = bound_query<str_array_operand, true, false>;
    t.native[341] = no_limit<num_array_operand>;
    t.native[342] = no_limit<str_array_operand>;
    t.native[343] = string_max_length;
    t.native[344] = array_max_length;
    t.native[483] = product;
    t.native[484] = solve;
    t.native[485] = block_copy;
}

} // namespace quillet
