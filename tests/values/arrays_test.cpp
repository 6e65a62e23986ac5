// Array blocks: creation from header templates, copies, freeing, the bound queries, redimensioning
// and the matrix inner loops, each with the errors they raise.
#include "values/arrays.h"
#include "values/numbers.h"
#include "values/strings.h"
#include "values_test_support.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet {
namespace {

using Bounds = std::vector<std::pair<int32_t, int32_t>>; // (lower bound, size) per dimension

void append_be(std::vector<uint8_t>& bytes, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(uint8_t(u >> shift));
}

std::vector<uint8_t> bounds_bytes(const Bounds& bounds) {
    std::vector<uint8_t> bytes;
    for (auto [lower, size] : bounds) {
        append_be(bytes, lower);
        append_be(bytes, size);
    }
    return bytes;
}

// Bytes copied into a heap block, freed on destruction.
class ArenaBytes {
public:
    explicit ArenaBytes(const std::vector<uint8_t>& bytes)
        : addr_(mem_dup(bytes.data(), uint32_t(bytes.size()))) {}
    ~ArenaBytes() { mem_free(addr_); }
    ArenaBytes(const ArenaBytes&) = delete;
    ArenaBytes& operator=(const ArenaBytes&) = delete;
    Addr addr() const { return addr_; }

private:
    Addr addr_;
};

// A header template: dimension byte, (lower, size) pairs and maximum length, big-endian.
std::vector<uint8_t> header_template(const Bounds& bounds, int32_t max_length = no_max_length) {
    std::vector<uint8_t> bytes{uint8_t(bounds.size())};
    for (uint8_t b : bounds_bytes(bounds))
        bytes.push_back(b);
    append_be(bytes, max_length);
    return bytes;
}

// A string record holding the given bytes, released on destruction.
class Record {
public:
    explicit Record(const std::vector<uint8_t>& bytes) : addr_(str_new(int32_t(bytes.size()))) {
        for (size_t i = 0; i < bytes.size(); ++i)
            store_u8(str_text(addr_) + uint32_t(i), bytes[i]);
    }
    ~Record() { str_release(addr_); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    Addr addr() const { return addr_; }

private:
    Addr addr_;
};

// An array variable: a cell in the arena pointing to the block, freed with its elements.
class TestArray {
public:
    TestArray(const Bounds& bounds, int32_t kind, int32_t max_length = no_max_length)
        : cell_(mem_alloc(8)) {
        ArenaBytes tmpl(header_template(bounds, max_length));
        store_u32(cell_, array_new(tmpl.addr(), kind));
    }
    // Numeric elements in flat order.
    TestArray(const Bounds& bounds, std::initializer_list<Cell> values)
        : TestArray(bounds, numeric_array) {
        int32_t i = 0;
        for (Cell v : values)
            store_cell(block().element(i++), v);
    }
    ~TestArray() {
        array_free(load_u32(cell_));
        mem_free(cell_);
    }
    TestArray(const TestArray&) = delete;
    TestArray& operator=(const TestArray&) = delete;

    Addr cell() const { return cell_; }
    Addr addr() const { return load_u32(cell_); }
    ArrayBlock block() const { return ArrayBlock{addr()}; }
    Cell at(int32_t i) const { return load_cell(block().element(i)); }
    Addr record_at(int32_t i) const { return load_u32(block().element(i)); }
    int32_t max_length_at(int32_t i) const { return load_i32(block().element(i) + 4); }
    void set_text(int32_t i, std::string_view text) const { str_set(block().element(i), text); }

    void redim(const Bounds& bounds) const {
        Record text(bounds_bytes(bounds));
        array_redim(cell_, text.addr());
    }

private:
    Addr cell_;
};

Cell num(double d) {
    return std::bit_cast<Cell>(d);
}

class Arrays : public ValuesTest {};

TEST_F(Arrays, NewNumericArrayFromATemplate) {
    // Dirty a block of the same size first, so the elements must really be initialized.
    Addr dirty = mem_alloc(array_block_size(2, 12));
    for (uint32_t i = 0; i < array_block_size(2, 12); ++i)
        store_u8(dirty + i, 0xEE);
    mem_free(dirty);

    TestArray a({{1, 3}, {-2, 4}}, numeric_array);
    ArrayBlock b = a.block();
    EXPECT_EQ(b.dimensions(), 2);
    EXPECT_EQ(b.kind(), numeric_array);
    EXPECT_EQ(b.count(), 12);
    EXPECT_EQ(b.high_water(), 12);
    EXPECT_EQ(b.max_length(), no_max_length);
    EXPECT_EQ(b.lower_bound(0), 1);
    EXPECT_EQ(b.size(0), 3);
    EXPECT_EQ(b.lower_bound(1), -2);
    EXPECT_EQ(b.size(1), 4);
    EXPECT_EQ(array_block_size(2, 12), 132u);
    EXPECT_EQ(mem_size(a.addr()), 132u);
    for (int32_t i = 0; i < 12; ++i)
        EXPECT_EQ(a.at(i), num_int(0)) << "element " << i;
}

TEST_F(Arrays, NewStringArrayHoldsTheEmptyRecordWithTheMaximumLength) {
    uint32_t empty_count = load_u32(empty_string);
    {
        TestArray a({{0, 3}}, string_array, 10);
        EXPECT_EQ(a.block().kind(), string_array);
        EXPECT_EQ(a.block().max_length(), 10);
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(a.record_at(i), empty_string);
            EXPECT_EQ(a.max_length_at(i), 10);
        }
        EXPECT_EQ(load_u32(empty_string), empty_count + 3) << "one reference per element";
        EXPECT_EQ(raised([&] { a.set_text(1, "eleven char"); }), err::string_too_long);
        a.set_text(1, "ten chars!");
        EXPECT_EQ(str_view(a.record_at(1)), "ten chars!");
    }
    EXPECT_EQ(load_u32(empty_string), empty_count);
}

TEST_F(Arrays, CreationLimits) {
    Bounds thirty(30, {0, 1});
    TestArray widest(thirty, numeric_array);
    EXPECT_EQ(widest.block().dimensions(), 30);
    EXPECT_EQ(widest.block().count(), 1);

    auto create = [](const std::vector<uint8_t>& bytes) {
        return raised([&] {
            ArenaBytes tmpl(bytes);
            array_free(array_new(tmpl.addr(), numeric_array));
        });
    };
    EXPECT_EQ(create(header_template(Bounds(31, {0, 1}))), err::array_too_large);
    std::vector<uint8_t> negative_dims = header_template({{0, 1}});
    negative_dims[0] = 0xFF;
    EXPECT_EQ(create(negative_dims), err::array_too_large);
    EXPECT_EQ(create(header_template({{0, 4}, {0, -1}})), err::illegal_bounds);
    // Element counts beyond 32 bits are refused, not wrapped.
    EXPECT_EQ(create(header_template({{0, 65536}, {0, 65536}})), err::array_too_large);
    EXPECT_EQ(create(header_template({{0, 46341}, {0, 46341}})), err::array_too_large);
    EXPECT_EQ(create(header_template({{0, 30000}, {0, 30000}})), err::array_too_large);
    // A negative size is reported as such even after a product that is already too large.
    EXPECT_EQ(create(header_template({{0, 100000}, {0, 100000}, {0, -1}})), err::illegal_bounds);
    EXPECT_EQ(create(header_template({{0, 0}, {0, 5}})), 0);
}

TEST_F(Arrays, CopyOfACorruptBlockIsRefusedBeforeAnythingIsWritten) {
    // A block whose count a program overwrote: a negative count, or one whose block size passes
    // 32 bits, would wrap to a small copy that the elements then overrun.
    TestArray source({{0, 3}}, numeric_array);
    for (int32_t bad : {-1, INT32_MIN, 0x20000000, INT32_MAX}) {
        store_i32(source.addr() + 16, bad);
        EXPECT_EQ(raised([&] { array_copy(source.addr()); }), err::out_of_memory) << bad;
    }
    store_i32(source.addr() + 16, 4);
}

TEST_F(Arrays, CopySharesStringRecordsWithoutAMaximum) {
    TestArray source({{0, 3}}, string_array, 8);
    source.set_text(0, "alpha");
    source.set_text(2, "gamma");
    Addr copy = array_copy(source.addr());
    ArrayBlock c{copy};
    EXPECT_NE(copy, source.addr());
    EXPECT_EQ(c.count(), 3);
    EXPECT_EQ(c.max_length(), no_max_length);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(load_u32(c.element(i)), source.record_at(i));
        EXPECT_EQ(load_i32(c.element(i) + 4), no_max_length);
    }
    EXPECT_EQ(str_count(source.record_at(0)), 2);
    // The copy's element may now hold more than 8 bytes; the source keeps its text.
    str_set(c.element(0), "a much longer text");
    EXPECT_EQ(str_view(source.record_at(0)), "alpha");
    EXPECT_EQ(str_count(source.record_at(0)), 1);
    array_free(copy);
    EXPECT_EQ(str_count(source.record_at(2)), 1);
}

TEST_F(Arrays, CopyOfANumericArrayCopiesTheCells) {
    TestArray source({{1, 2}, {0, 2}}, {num_int(1), num(2.5), num_int(-3), num(1e300)});
    Addr copy = array_copy(source.addr());
    ArrayBlock c{copy};
    EXPECT_EQ(c.lower_bound(0), 1);
    EXPECT_EQ(c.size(1), 2);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(load_cell(c.element(i)), source.at(i));
    store_cell(c.element(0), num_int(99));
    EXPECT_EQ(source.at(0), num_int(1));
    array_free(copy);
}

TEST_F(Arrays, FreeReleasesEveryRecord) {
    Addr outside = str_new(4);
    uint32_t blocks = heap.blocks_in_use;
    {
        TestArray a({{0, 5}}, string_array);
        a.set_text(0, "one");
        a.set_text(1, "two");
        a.set_text(3, "four");
        str_assign_unchecked(a.block().element(4), outside);
        EXPECT_EQ(str_count(outside), 2);
        EXPECT_EQ(heap.blocks_in_use, blocks + 5); // cell, block and three records
    }
    EXPECT_EQ(heap.blocks_in_use, blocks);
    EXPECT_EQ(str_count(outside), 1);
    str_release(outside);
    array_free(0);
}

TEST_F(Arrays, SizeAndLowerBoundQueriesOfAVector) {
    TestArray v({{0, 11}}, numeric_array);
    Addr a = v.addr();
    EXPECT_EQ(array_size_query(a, 1, false), 11);
    EXPECT_EQ(array_size_query(a, 0, true), 11);
    EXPECT_EQ(array_size_query(a, all_dimensions, false), 11);
    EXPECT_EQ(raised([&] { array_size_query(a, 0, false); }), err::size_index);
    EXPECT_EQ(raised([&] { array_size_query(a, 2, true); }), err::size_index);
    EXPECT_EQ(raised([&] { array_size_query(a, -1, true); }), err::size_index);
    EXPECT_EQ(array_lbound_query(a, 0, true), 0);
    EXPECT_EQ(array_lbound_query(a, 1, false), 0);
    EXPECT_EQ(array_lbound_query(a, all_dimensions, false), 0);
    EXPECT_EQ(raised([&] { array_lbound_query(a, 0, false); }), err::lbound_index);
    EXPECT_EQ(raised([&] { array_lbound_query(a, 2, true); }), err::lbound_index);
}

TEST_F(Arrays, SizeAndLowerBoundQueriesOfAMatrix) {
    TestArray m({{1, 3}, {-2, 4}}, string_array);
    Addr a = m.addr();
    EXPECT_EQ(array_size_query(a, 0, true), 12);
    EXPECT_EQ(array_size_query(a, 1, false), 3);
    EXPECT_EQ(array_size_query(a, 2, false), 4);
    EXPECT_EQ(raised([&] { array_size_query(a, 3, false); }), err::size_index);
    EXPECT_EQ(array_lbound_query(a, 2, false), -2);
    EXPECT_EQ(raised([&] { array_lbound_query(a, 0, true); }), err::lbound_index);
    EXPECT_EQ(raised([&] { array_lbound_query(a, all_dimensions, false); }), err::lbound_index);
    EXPECT_EQ(raised([&] { array_lbound_query(a, 3, false); }), err::lbound_index);
}

TEST_F(Arrays, ShrinkAndRegrowKeepsHighWaterAndZeroesTheNewElements) {
    TestArray a({{1, 5}}, {num_int(1), num_int(2), num_int(3), num(4.5), num_int(5)});
    Addr block = a.addr();
    a.redim({{1, 3}});
    EXPECT_EQ(a.addr(), block) << "a shrinking block stays where it is";
    EXPECT_EQ(a.block().count(), 3);
    EXPECT_EQ(a.block().size(0), 3);
    EXPECT_EQ(a.block().high_water(), 5);
    a.redim({{0, 5}});
    EXPECT_EQ(a.addr(), block);
    EXPECT_EQ(a.block().count(), 5);
    EXPECT_EQ(a.block().lower_bound(0), 0);
    EXPECT_EQ(a.block().high_water(), 5);
    EXPECT_EQ(a.at(2), num_int(3));
    EXPECT_EQ(a.at(3), num_int(0));
    EXPECT_EQ(a.at(4), num_int(0));
}

TEST_F(Arrays, StringShrinkReleasesTheRecordsAndKeepsTheBlock) {
    TestArray a({{0, 3}}, string_array, 8);
    a.set_text(0, "x");
    a.set_text(1, "y");
    a.set_text(2, "z");
    Addr block = a.addr();
    uint32_t size = mem_size(block), blocks = heap.blocks_in_use;
    a.redim({{0, 1}});
    EXPECT_EQ(heap.blocks_in_use, blocks - 2);
    EXPECT_EQ(str_view(a.record_at(0)), "x");
    a.redim({{0, 0}});
    EXPECT_EQ(heap.blocks_in_use, blocks - 3);
    EXPECT_EQ(a.addr(), block);
    EXPECT_EQ(mem_size(block), size);
    EXPECT_EQ(a.block().count(), 0);
    a.redim({{0, 2}});
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(a.record_at(i), empty_string);
        EXPECT_EQ(a.max_length_at(i), 8);
    }
}

TEST_F(Arrays, ShortBoundsTextReadsMissingBytesAsZero) {
    TestArray a({{0, 2}, {0, 3}}, numeric_array);
    std::vector<uint8_t> text = bounds_bytes({{5, 4}});
    text.push_back(0x00);
    text.push_back(0x01); // the next lower bound is 0x0001xxxx with its low bytes missing
    {
        Record bounds(text);
        array_redim(a.cell(), bounds.addr());
    }
    EXPECT_EQ(a.block().lower_bound(0), 5);
    EXPECT_EQ(a.block().size(0), 4);
    EXPECT_EQ(a.block().lower_bound(1), 0x10000);
    EXPECT_EQ(a.block().size(1), 0);
    EXPECT_EQ(a.block().count(), 0);
    EXPECT_EQ(a.block().high_water(), 6);

    array_redim(a.cell(), empty_string);
    EXPECT_EQ(a.block().lower_bound(0), 0);
    EXPECT_EQ(a.block().size(0), 0);
}

TEST_F(Arrays, RefusedRedimensioningLeavesTheArrayUnchanged) {
    TestArray a({{1, 2}, {1, 2}}, {num_int(1), num_int(2), num_int(3), num_int(4)});
    Addr block = a.addr();
    EXPECT_EQ(raised([&] { a.redim({{0, 10}, {0, -1}}); }), err::illegal_bounds);
    EXPECT_EQ(raised([&] { a.redim({{0, 100000}, {0, 100000}}); }), err::array_too_large);
    EXPECT_EQ(raised([&] { a.redim({{0, 65536}, {0, 65536}}); }), err::array_too_large);
    EXPECT_EQ(a.addr(), block);
    EXPECT_EQ(a.block().count(), 4);
    EXPECT_EQ(a.block().high_water(), 4);
    for (int32_t d = 0; d < 2; ++d) {
        EXPECT_EQ(a.block().lower_bound(d), 1);
        EXPECT_EQ(a.block().size(d), 2);
    }
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(a.at(i), num_int(i + 1));
}

TEST_F(Arrays, GrowthMovesTheBlockAndUpdatesTheCell) {
    TestArray a({{0, 2}}, {num_int(7), num(8.5)});
    Addr block = a.addr();
    uint32_t blocks = heap.blocks_in_use;
    a.redim({{0, 1000}});
    EXPECT_NE(a.addr(), block);
    EXPECT_GE(mem_size(a.addr()), array_block_size(1, 1000));
    EXPECT_EQ(heap.blocks_in_use, blocks) << "the old block is freed";
    EXPECT_EQ(a.block().count(), 1000);
    EXPECT_EQ(a.block().high_water(), 1000);
    EXPECT_EQ(a.at(0), num_int(7));
    EXPECT_EQ(a.at(1), num(8.5));
    for (int32_t i = 2; i < 1000; ++i)
        ASSERT_EQ(a.at(i), num_int(0)) << "element " << i;

    TestArray s({{0, 1}}, string_array);
    s.set_text(0, "kept");
    s.redim({{0, 500}});
    EXPECT_EQ(str_view(s.record_at(0)), "kept");
    EXPECT_EQ(s.record_at(499), empty_string);
}

TEST_F(Arrays, ElementsKeepTheirFlatIndexes) {
    TestArray a({{0, 2}, {0, 3}},
                {num_int(0), num_int(1), num_int(2), num_int(3), num_int(4), num_int(5)});
    a.redim({{0, 3}, {0, 2}});
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(a.at(i), num_int(i));
    EXPECT_EQ(a.block().size(0), 3);
    EXPECT_EQ(a.block().size(1), 2);
}

TEST_F(Arrays, MatrixProduct) {
    TestArray x({{1, 2}, {1, 3}},
                {num_int(1), num_int(2), num_int(3), num_int(4), num_int(5), num_int(6)});
    TestArray y({{1, 3}, {1, 2}},
                {num_int(7), num_int(8), num_int(9), num_int(10), num_int(11), num_int(12)});
    TestArray z({{1, 2}, {1, 2}}, numeric_array);
    matrix_product(x.addr(), y.addr(), z.addr(), 2, 3, 2);
    EXPECT_EQ(z.at(0), num_int(58));
    EXPECT_EQ(z.at(1), num_int(64));
    EXPECT_EQ(z.at(2), num_int(139));
    EXPECT_EQ(z.at(3), num_int(154));

    // A double element makes its sums doubles.
    store_cell(x.block().element(0), num(0.5));
    matrix_product(x.addr(), y.addr(), z.addr(), 2, 3, 2);
    EXPECT_EQ(z.at(0), num(54.5));
    EXPECT_EQ(z.at(2), num_int(139));
}

TEST_F(Arrays, MatrixProductOverflowsToDouble) {
    TestArray a({{0, 1}}, {num_int(46341)}), b({{0, 1}}, {num_int(46341)});
    TestArray c({{0, 1}}, numeric_array);
    matrix_product(a.addr(), b.addr(), c.addr(), 1, 1, 1);
    EXPECT_EQ(c.at(0), num(2147488281.0));

    TestArray row({{0, 2}}, {num_int(2147483647), num_int(1)});
    TestArray col({{0, 2}}, {num_int(1), num_int(1)});
    matrix_product(row.addr(), col.addr(), c.addr(), 1, 2, 1);
    EXPECT_EQ(c.at(0), num(2147483648.0));
    // Products that cancel to zero give integer 0.
    TestArray neg({{0, 2}}, {num(0.25), num(-0.25)});
    TestArray ones({{0, 2}}, {num(1.0), num(1.0)});
    matrix_product(neg.addr(), ones.addr(), c.addr(), 1, 2, 1);
    EXPECT_EQ(c.at(0), num_int(0));
}

TEST_F(Arrays, MatrixProductRefusesShapesBeyondTheArrays) {
    TestArray x({{0, 6}}, numeric_array), y({{0, 6}}, numeric_array);
    TestArray z({{0, 4}}, {num_int(1), num_int(2), num_int(3), num_int(4)});
    EXPECT_EQ(raised([&] { matrix_product(x.addr(), y.addr(), z.addr(), 3, 3, 2); }),
              err::illegal_bounds);
    EXPECT_EQ(raised([&] { matrix_product(x.addr(), y.addr(), z.addr(), 2, 3, 3); }),
              err::illegal_bounds);
    EXPECT_EQ(raised([&] { matrix_product(x.addr(), y.addr(), z.addr(), -1, 3, 2); }),
              err::illegal_bounds);
    EXPECT_EQ(raised([&] { matrix_product(x.addr(), y.addr(), z.addr(), 65536, 65536, 0); }),
              err::illegal_bounds);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(z.at(i), num_int(i + 1)) << "Z untouched";
    matrix_product(x.addr(), y.addr(), z.addr(), 0, 3, 2); // nothing to do
}

TEST_F(Arrays, TriangularSolveWithIdentityFactors) {
    TestArray lu({{1, 2}, {1, 2}}, {num_int(1), num_int(0), num_int(0), num_int(1)});
    TestArray perm({{1, 2}}, {num_int(1), num_int(2)});
    TestArray rhs({{1, 2}}, {num(3.25), num_int(-4)});
    triangular_solve(lu.addr(), 2, perm.addr(), rhs.addr());
    EXPECT_EQ(rhs.at(0), num(3.25));
    EXPECT_EQ(rhs.at(1), num_int(-4));
}

TEST_F(Arrays, TriangularSolveOfAFactoredSystem) {
    // A = L U with L = [1 0 0; 2 1 0; 4 3 1] and U = [2 1 1; 0 1 1; 0 0 2], packed in place.
    TestArray lu({{1, 3}, {1, 3}}, {num_int(2), num_int(1), num_int(1), num_int(2), num_int(1),
                                    num_int(1), num_int(4), num_int(3), num_int(2)});
    TestArray perm({{1, 3}}, {num_int(1), num_int(2), num(3.0)});
    // A (1, 2, 3) = (7, 19, 49).
    TestArray rhs({{1, 3}}, {num_int(7), num_int(19), num_int(49)});
    triangular_solve(lu.addr(), 3, perm.addr(), rhs.addr());
    EXPECT_EQ(rhs.at(0), num_int(1));
    EXPECT_EQ(rhs.at(1), num_int(2));
    EXPECT_EQ(rhs.at(2), num_int(3));
    // A leading zero in the right-hand side: A (1, -2, 0) = (0, -2, -6).
    TestArray zero_first({{1, 3}}, {num_int(0), num_int(-2), num_int(-6)});
    triangular_solve(lu.addr(), 3, perm.addr(), zero_first.addr());
    EXPECT_EQ(zero_first.at(0), num_int(1));
    EXPECT_EQ(zero_first.at(1), num_int(-2));
    EXPECT_EQ(zero_first.at(2), num_int(0));
    // A fractional solution: A (0.5, 0, 0) = (1, 2, 4).
    TestArray half({{1, 3}}, {num_int(1), num_int(2), num_int(4)});
    triangular_solve(lu.addr(), 3, perm.addr(), half.addr());
    EXPECT_EQ(half.at(0), num(0.5));
    EXPECT_EQ(half.at(1), num_int(0));
    EXPECT_EQ(half.at(2), num_int(0));
}

TEST_F(Arrays, TriangularSolveAppliesTheRowInterchanges) {
    // A = [0 1; 1 1] needs its rows swapped: P A = [1 1; 0 1] = I U, interchange (2, 2).
    TestArray lu({{1, 2}, {1, 2}}, {num_int(1), num_int(1), num_int(0), num_int(1)});
    TestArray perm({{1, 2}}, {num(2.4), num_int(2)});  // rounded to 2
    TestArray rhs({{1, 2}}, {num_int(4), num_int(7)}); // A (3, 4)
    triangular_solve(lu.addr(), 2, perm.addr(), rhs.addr());
    EXPECT_EQ(rhs.at(0), num_int(3));
    EXPECT_EQ(rhs.at(1), num_int(4));
}

TEST_F(Arrays, TriangularSolveErrors) {
    TestArray singular({{1, 2}, {1, 2}}, {num_int(1), num_int(1), num_int(0), num_int(0)});
    TestArray perm({{1, 2}}, {num_int(1), num_int(2)});
    TestArray rhs({{1, 2}}, {num_int(1), num_int(1)});
    EXPECT_EQ(raised([&] { triangular_solve(singular.addr(), 2, perm.addr(), rhs.addr()); }),
              err::division_by_zero);
    EXPECT_EQ(raised([&] { triangular_solve(singular.addr(), 3, perm.addr(), rhs.addr()); }),
              err::illegal_bounds);
    TestArray short_rhs({{1, 1}}, {num_int(1)});
    EXPECT_EQ(raised([&] { triangular_solve(singular.addr(), 2, perm.addr(), short_rhs.addr()); }),
              err::illegal_bounds);
    TestArray bad_perm({{1, 2}}, {num_int(3), num_int(2)});
    EXPECT_EQ(raised([&] { triangular_solve(singular.addr(), 2, bad_perm.addr(), rhs.addr()); }),
              err::illegal_bounds);
    TestArray zero_perm({{1, 2}}, {num_int(0), num_int(2)});
    EXPECT_EQ(raised([&] { triangular_solve(singular.addr(), 2, zero_perm.addr(), rhs.addr()); }),
              err::illegal_bounds);
}

TEST_F(Arrays, ElementBlockCopy) {
    TestArray x({{1, 6}}, {num_int(1), num_int(2), num_int(3), num(4.5), num_int(5), num_int(6)});
    TestArray y({{1, 5}}, numeric_array);
    array_copy_elements(x.addr(), y.addr(), 2, 3, 3);
    EXPECT_EQ(y.at(0), num_int(0));
    EXPECT_EQ(y.at(1), num_int(0));
    EXPECT_EQ(y.at(2), num_int(2));
    EXPECT_EQ(y.at(3), num_int(3));
    EXPECT_EQ(y.at(4), num(4.5));
    // Within one array the ranges may overlap.
    array_copy_elements(x.addr(), x.addr(), 1, 2, 5);
    EXPECT_EQ(x.at(0), num_int(1));
    EXPECT_EQ(x.at(1), num_int(1));
    EXPECT_EQ(x.at(5), num_int(5));
    array_copy_elements(x.addr(), y.addr(), 7, 6, 0); // empty, at the very end

    auto copy = [&](int32_t from, int32_t to, int32_t count) {
        return raised([&] { array_copy_elements(x.addr(), y.addr(), from, to, count); });
    };
    EXPECT_EQ(copy(0, 1, 1), err::illegal_bounds);
    EXPECT_EQ(copy(5, 1, 3), err::illegal_bounds);
    EXPECT_EQ(copy(1, 4, 3), err::illegal_bounds);
    EXPECT_EQ(copy(1, 1, -1), err::illegal_bounds);
    EXPECT_EQ(copy(INT32_MAX, 1, 2), err::illegal_bounds);
    EXPECT_EQ(copy(1, INT32_MIN, 1), err::illegal_bounds);
    EXPECT_EQ(y.at(0), num_int(0)) << "a refused copy writes nothing";
}

} // namespace
} // namespace quillet
