// Bifs of arrays and matrices: redimensioning, bounds queries, maximum lengths, and the inner
// loops of matrix arithmetic.
#include "values/arrays.h"

#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "values/strings.h"

namespace quillet {
namespace {

template <Addr (*array_operand)()>
void redim() {
    Addr cell = array_operand();
    array_redim(cell, load_u32(str_operand()));
}

template <Addr (*array_operand)(), bool lower_bound, bool zero_means_all>
void bound_query() {
    Addr block = load_u32(array_operand());
    int32_t d = int_operand();
    Addr result = num_operand();
    int32_t v = lower_bound ? array_lbound_query(block, d, zero_means_all)
                            : array_size_query(block, d, zero_means_all);
    num_set_int(result, v);
}

template <Addr (*array_operand)()>
void no_limit() {
    array_operand();
    set_int_operand(no_max_length);
}

void string_max_length() {
    set_int_operand(StringCell{str_operand()}.max_length());
}

void array_max_length() {
    Addr block = load_u32(str_array_operand());
    set_int_operand(ArrayBlock{block}.max_length());
}

void product() {
    Addr x = load_u32(num_array_operand());
    Addr y = load_u32(num_array_operand());
    Addr z = load_u32(num_array_operand());
    for (int i = 0; i < 3; ++i)
        int_operand();
    int32_t p = int_operand(), q = int_operand(), r = int_operand();
    matrix_product(x, y, z, p, q, r);
}

void solve() {
    Addr x = load_u32(num_array_operand());
    int32_t n = int_operand();
    Addr y = load_u32(num_array_operand());
    Addr z = load_u32(num_array_operand());
    triangular_solve(x, n, y, z);
}

void block_copy() {
    Addr x = load_u32(num_array_operand());
    Addr y = load_u32(num_array_operand());
    int32_t from = int_operand(), to = int_operand(), count = int_operand();
    array_copy_elements(x, y, from, to, count);
}

} // namespace

void install_array_bifs(BifTable& t) {
    t.install(bif::redim_numeric, redim<num_array_operand>);
    t.install(bif::redim_string, redim<str_array_operand>);
    t.install(bif::array_size_numeric, bound_query<num_array_operand, false, true>);
    t.install(bif::array_size_string, bound_query<str_array_operand, false, true>);
    t.install(bif::array_lbound_numeric, bound_query<num_array_operand, true, true>);
    t.install(bif::array_lbound_string, bound_query<str_array_operand, true, true>);
    t.install(bif::size_numeric, bound_query<num_array_operand, false, false>);
    t.install(bif::size_string, bound_query<str_array_operand, false, false>);
    t.install(bif::lbound_numeric, bound_query<num_array_operand, true, false>);
    t.install(bif::lbound_string, bound_query<str_array_operand, true, false>);
    t.install(bif::maxsize_numeric, no_limit<num_array_operand>);
    t.install(bif::maxsize_string, no_limit<str_array_operand>);
    t.install(bif::string_max_length, string_max_length);
    t.install(bif::array_string_max_length, array_max_length);
    t.install(bif::matrix_product, product);
    t.install(bif::triangular_solve, solve);
    t.install(bif::array_block_copy, block_copy);
}

} // namespace quillet
