#include "values/arrays.h"

#include "values/errors.h"
#include "values/memory.h"
#include "values/numbers.h"
#include "values/strings.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr uint32_t array_header_size = 20;

// Element count of the given sizes; 6005 for a negative size, 5001 when the block would not fit
// in 32 bits.
int32_t element_count(int32_t dimensions, auto size_of) {
    // Every size is checked first, so a negative one is reported even after a huge product.
    for (int32_t d = 0; d < dimensions; ++d)
        if (size_of(d) < 0) raise_error(err::illegal_bounds);
    uint64_t count = 1;
    for (int32_t d = 0; d < dimensions; ++d) {
        count *= static_cast<uint64_t>(size_of(d));
        if (count > INT32_MAX) raise_error(err::array_too_large);
    }
    if ((uint64_t(dimensions) + count) * 8 + array_header_size > UINT32_MAX)
        raise_error(err::array_too_large);
    return static_cast<int32_t>(count);
}

Addr array_alloc(int32_t dimensions, int32_t kind, int32_t max_length, int32_t count) {
    Addr block = mem_alloc(array_block_size(dimensions, count));
    store_i32(block, dimensions);
    store_i32(block + 4, kind);
    store_i32(block + 8, count);
    store_i32(block + 12, max_length);
    store_i32(block + 16, count);
    return block;
}

void set_bounds(Addr block, int32_t d, int32_t lower, int32_t size) {
    store_i32(block + 20 + 8 * uint32_t(d), lower);
    store_i32(block + 24 + 8 * uint32_t(d), size);
}

void release_string_elements(ArrayBlock a, int32_t first, int32_t end) {
    for (int32_t i = first; i < end; ++i)
        str_release(load_u32(a.element(i)));
}

bool holds(ArrayBlock a, int64_t first, int64_t count) {
    return first >= 0 && count >= 0 && first + count <= a.count();
}

} // namespace

uint32_t array_block_size(int32_t dimensions, int32_t count) {
    // Counted in 64 bits: a count from a corrupt block (negative, or past 2^29 elements) would
    // wrap to a small block that the elements then overrun.
    if (dimensions < 0 || count < 0) raise_error(err::out_of_memory);
    uint64_t size = (uint64_t(dimensions) + uint64_t(count)) * 8 + array_header_size;
    if (size > UINT32_MAX) raise_error(err::out_of_memory);
    return uint32_t(size);
}

Addr array_new(Addr header_template, int32_t kind) {
    int32_t dimensions = static_cast<int8_t>(load_u8(header_template));
    if (dimensions < 0 || dimensions > max_dimensions) raise_error(err::array_too_large);
    Addr pairs = header_template + 1;
    auto size_of = [&](int32_t d) { return int32_t(load_u32_be(pairs + 8 * uint32_t(d) + 4)); };
    int32_t count = element_count(dimensions, size_of);
    int32_t max_length = int32_t(load_u32_be(pairs + 8 * uint32_t(dimensions)));
    Addr block = array_alloc(dimensions, kind, max_length, count);
    for (int32_t d = 0; d < dimensions; ++d)
        set_bounds(block, d, int32_t(load_u32_be(pairs + 8 * uint32_t(d))), size_of(d));
    array_init_elements(block, 0, count);
    return block;
}

void array_init_elements(Addr block, int32_t first, int32_t end) {
    ArrayBlock a{block};
    if (a.kind() == string_array) {
        Cell fresh = make_cell(empty_string, static_cast<uint32_t>(a.max_length()));
        for (int32_t i = first; i < end; ++i)
            store_cell(a.element(i), fresh);
        // Each element holds one reference to the empty record.
        store_u32(empty_string, load_u32(empty_string) + uint32_t(std::max(end - first, 0)));
    } else {
        for (int32_t i = first; i < end; ++i)
            store_cell(a.element(i), num_int(0));
    }
}

Addr array_copy(Addr block) {
    ArrayBlock src{block};
    int32_t dimensions = src.dimensions(), count = src.count();
    Addr copy = array_alloc(dimensions, src.kind(), no_max_length, count);
    for (int32_t d = 0; d < dimensions; ++d)
        set_bounds(copy, d, src.lower_bound(d), src.size(d));
    ArrayBlock dst{copy};
    if (src.kind() == string_array) {
        for (int32_t i = 0; i < count; ++i) {
            Addr rec = load_u32(src.element(i));
            str_retain(rec);
            store_cell(dst.element(i), make_cell(rec, no_max_length));
        }
    } else {
        copy_bytes(dst.elements(), src.elements(), uint32_t(count) * 8);
    }
    return copy;
}

void array_free(Addr block) {
    if (!block) return;
    ArrayBlock a{block};
    if (a.kind() == string_array) release_string_elements(a, 0, a.count());
    mem_free(block);
}

void array_redim(Addr array_cell, Addr bounds_record) {
    Addr block = load_u32(array_cell);
    ArrayBlock a{block};
    int32_t dimensions = a.dimensions();
    auto field = [&](int32_t d, int32_t word) {
        int64_t at = int64_t{d} * 8 + word * 4;
        return at > INT32_MAX ? 0 : int32_t(str_u32_at(bounds_record, int32_t(at)));
    };
    // Every check comes before the first change, so a refused call leaves the array as it was.
    int32_t count = element_count(dimensions, [&](int32_t d) { return field(d, 1); });
    int32_t old_count = a.count();
    if (count <= old_count) {
        if (a.kind() == string_array) release_string_elements(a, count, old_count);
    } else {
        uint32_t need = array_block_size(dimensions, count);
        if (need > mem_size(block)) {
            block = mem_resize(block, need);
            store_u32(array_cell, block);
        }
        array_init_elements(block, old_count, count);
    }
    store_i32(block + 16, count);
    if (count > ArrayBlock{block}.high_water()) store_i32(block + 8, count);
    for (int32_t d = 0; d < dimensions; ++d)
        set_bounds(block, d, field(d, 0), field(d, 1));
}

int32_t array_size_query(Addr block, int32_t d, bool zero_means_all) {
    ArrayBlock a{block};
    if (zero_means_all && d == 0) d = all_dimensions;
    if (d == all_dimensions) return a.count();
    if (d < 1 || d > a.dimensions()) raise_error(err::size_index);
    return a.size(d - 1);
}

int32_t array_lbound_query(Addr block, int32_t d, bool zero_means_all) {
    ArrayBlock a{block};
    if (zero_means_all && d == 0) d = all_dimensions;
    if (d == all_dimensions) {
        if (a.dimensions() != 1) raise_error(err::lbound_index);
        return a.lower_bound(0);
    }
    if (d < 1 || d > a.dimensions()) raise_error(err::lbound_index);
    return a.lower_bound(d - 1);
}

// The matrix routines read only inside the arrays they are given: a shape that does not fit the
// arrays is refused with 6005 instead of reaching into neighbouring blocks.
void matrix_product(Addr x, Addr y, Addr z, int32_t p, int32_t q, int32_t r) {
    ArrayBlock a{x}, b{y}, c{z};
    if (p < 0 || q < 0 || r < 0 || !holds(a, 0, int64_t{p} * q) || !holds(b, 0, int64_t{q} * r) ||
        !holds(c, 0, int64_t{p} * r))
        raise_error(err::illegal_bounds);
    for (int32_t i = 0; i < p; ++i) {
        for (int32_t j = 0; j < r; ++j) {
            Cell sum = num_int(0);
            for (int32_t t = 0; t < q; ++t)
                sum = num_add(
                    sum, num_mul(load_cell(a.element(i * q + t)), load_cell(b.element(t * r + j))));
            store_cell(c.element(i * r + j), sum);
        }
    }
}

void triangular_solve(Addr x, int32_t n, Addr y, Addr z) {
    ArrayBlock m{x}, perm{y}, rhs{z};
    if (n < 0 || !holds(m, 0, int64_t{n} * n) || !holds(perm, 0, n) || !holds(rhs, 0, n))
        raise_error(err::illegal_bounds);
    // 1-based accessors, as the factorisation is laid out.
    auto mat = [&](int32_t i, int32_t j) { return load_cell(m.element((i - 1) * n + j - 1)); };
    auto z_at = [&](int32_t i) { return rhs.element(i - 1); };
    int32_t first = 0;
    for (int32_t i = 1; i <= n; ++i) {
        int32_t k = num_to_int32(load_cell(perm.element(i - 1)));
        if (k < 1 || k > n) raise_error(err::illegal_bounds);
        Cell s = load_cell(z_at(k));
        store_cell(z_at(k), load_cell(z_at(i)));
        if (first != 0) {
            for (int32_t j = first; j < i; ++j)
                s = num_sub(s, num_mul(mat(i, j), load_cell(z_at(j))));
        } else if (!num_equal(s, num_int(0))) {
            first = i;
        }
        store_cell(z_at(i), s);
    }
    for (int32_t i = n; i >= 1; --i) {
        Cell s = load_cell(z_at(i));
        for (int32_t j = i + 1; j <= n; ++j)
            s = num_sub(s, num_mul(mat(i, j), load_cell(z_at(j))));
        store_cell(z_at(i), num_div(s, mat(i, i)));
    }
}

void array_copy_elements(Addr x, Addr y, int32_t from, int32_t to, int32_t count) {
    ArrayBlock src{x}, dst{y};
    if (!holds(src, int64_t{from} - 1, count) || !holds(dst, int64_t{to} - 1, count))
        raise_error(err::illegal_bounds);
    copy_bytes(dst.element(to - 1), src.element(from - 1), uint32_t(count) * 8);
}

} // namespace quillet
