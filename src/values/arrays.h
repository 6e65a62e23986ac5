// Array blocks: one heap block holding the description of an array and its elements.
//
// Words (little-endian): dimension count, element kind (-1 numeric, -2 string), high-water count,
// maximum length of string elements, element count, then (lower bound, size) per dimension, then
// the elements as 8-byte cells in row-major order. A string array owns one reference to every
// element's record.
#pragma once

#include "values/arena.h"
#include "values/memory.h"

#include <cstdint>

namespace quillet {

inline constexpr int32_t numeric_array = -1;
inline constexpr int32_t string_array = -2;
inline constexpr int32_t max_dimensions = 30;
// A dimension operand meaning "no particular dimension".
inline constexpr int32_t all_dimensions = 0x7FFFFFFF;

struct ArrayBlock {
    Addr addr;

    int32_t dimensions() const { return load_i32(addr); }
    int32_t kind() const { return load_i32(addr + 4); }
    int32_t high_water() const { return load_i32(addr + 8); }
    int32_t max_length() const { return load_i32(addr + 12); }
    int32_t count() const { return load_i32(addr + 16); }
    int32_t lower_bound(int32_t d) const { return load_i32(addr + 20 + 8 * uint32_t(d)); }
    int32_t size(int32_t d) const { return load_i32(addr + 24 + 8 * uint32_t(d)); }
    Addr elements() const { return addr + 20 + 8 * uint32_t(dimensions()); }
    Addr element(int32_t i) const { return elements() + 8 * uint32_t(i); }
};

// Raises 5000 when the block's description or elements run past the memory the heap has handed
// out (a cell that a program overwrote, or a number cell read as an array): its counts may say
// anything, and code that copies the elements out of the arena sizes its buffers by them. A null
// block (no array yet) passes.
inline void array_check_extent(Addr block) {
    if (!block) return;
    ArrayBlock a{block};
    uint64_t cells = uint64_t{uint32_t(a.dimensions())} + uint32_t(a.count());
    if (uint64_t{block} + 20 + 8 * cells > heap.top) [[unlikely]]
        raise_error(err::out_of_memory);
}

// Bytes of a block with the given dimensions and elements; 5000 when that exceeds 32 bits or
// either is negative.
uint32_t array_block_size(int32_t dimensions, int32_t count);

// A new array from a header template: a signed dimension byte, per dimension a big-endian lower
// bound and size, then the big-endian maximum length. 5001 beyond 30 dimensions or when the
// elements cannot be addressed; 6005 for a negative size.
Addr array_new(Addr header_template, int32_t kind);

// Elements first .. end - 1 become integer 0, or the empty string with the block's maximum.
void array_init_elements(Addr block, int32_t first, int32_t end);

// A copy sharing the string records; the copy's strings have no maximum length.
Addr array_copy(Addr block);

void array_free(Addr block);

// New bounds from a text of 8 bytes per dimension (big-endian lower bound and size, missing bytes
// read as 0). The array cell is updated when the block moves.
void array_redim(Addr array_cell, Addr bounds_record);

// Size of dimension d (1-based), or the element count for all_dimensions; 4004 when out of range.
// With zero_means_all, d = 0 counts as all_dimensions.
int32_t array_size_query(Addr block, int32_t d, bool zero_means_all);

// Lower bound of dimension d; all_dimensions asks for the only dimension of a vector; 4008 when
// out of range.
int32_t array_lbound_query(Addr block, int32_t d, bool zero_means_all);

// Z = X * Y over flat element sequences: X is p x q, Y is q x r, Z is p x r.
void matrix_product(Addr x, Addr y, Addr z, int32_t p, int32_t q, int32_t r);

// Solves with an in-place LU factorisation X (n x n, unit lower diagonal implied), its row
// permutation Y (1-based) and the right-hand side Z, which receives the solution.
void triangular_solve(Addr x, int32_t n, Addr y, Addr z);

// Copies count cells from X's element from (1-based) to Y's elements from to.
void array_copy_elements(Addr x, Addr y, int32_t from, int32_t to, int32_t count);

} // namespace quillet
