// String records and cells: capacity, sharing and copy on write, the maximum length, in-place
// preparation, byte access at the edges, and reference counts down to the freed block.
#include "test_cells.h"
#include "values/strings.h"
#include "values_test_support.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>

namespace quillet {
namespace {

uint32_t expected_block_size(int32_t n) {
    return uint32_t(n + 16) + uint32_t((n + 16) >> 2);
}

class Strings : public ValuesTest {};

TEST_F(Strings, NewRecordHasCountOneAndAQuarterSpare) {
    for (int32_t n : {0, 1, 7, 10, 100, 1000, 100000}) {
        Addr rec = str_new(n);
        EXPECT_EQ(str_count(rec), 1);
        EXPECT_EQ(str_length(rec), n);
        EXPECT_EQ(mem_size(rec), expected_block_size(n)) << "n = " << n;
        str_release(rec);
    }
    EXPECT_EQ(raised([] { str_new(-1); }), err::out_of_memory);
    EXPECT_EQ(raised([] { str_new(INT32_MAX - 8); }), err::out_of_memory);
}

TEST_F(Strings, SetTextAndReadItBack) {
    TestCell cell;
    str_set_cstr(cell.addr(), "hello");
    EXPECT_EQ(cell.text(), "hello");
    const char bytes[] = {'a', '\0', char(0xFF), 'b'};
    str_set_bytes(cell.addr(), bytes, 4);
    EXPECT_EQ(cell.text(), std::string_view(bytes, 4)) << "any byte value is text";
    str_set_bytes(cell.addr(), nullptr, 0);
    EXPECT_EQ(str_length(cell.record()), 0);
}

TEST_F(Strings, AssignmentSharesAndAChangeCopiesFirst) {
    TestCell first, second;
    str_set(first.addr(), "hello");
    Addr shared = first.record();
    str_assign(second.addr(), shared);
    EXPECT_EQ(second.record(), shared) << "assignment shares the record";
    EXPECT_EQ(str_count(shared), 2);

    str_set(first.addr(), "world");
    EXPECT_NE(first.record(), shared);
    EXPECT_EQ(first.text(), "world");
    EXPECT_EQ(second.text(), "hello");
    EXPECT_EQ(str_count(shared), 1);

    // A reserve on a shared record copies the kept text into a private one.
    str_assign(first.addr(), shared);
    Addr rec = str_reserve(first.addr(), 3);
    EXPECT_NE(rec, shared);
    EXPECT_EQ(first.text(), "hel");
    EXPECT_EQ(second.text(), "hello");
}

TEST_F(Strings, SelfAssignmentKeepsTheRecordAlive) {
    TestCell cell;
    str_set(cell.addr(), "mine");
    Addr rec = cell.record();
    str_assign(cell.addr(), rec);
    EXPECT_EQ(cell.record(), rec);
    EXPECT_EQ(str_count(rec), 1);
    EXPECT_EQ(cell.text(), "mine");
}

TEST_F(Strings, MaximumLengthRefusesLongerTextAndKeepsTheOld) {
    TestCell cell(5), source;
    str_set(cell.addr(), "abcde");
    Addr kept = cell.record();
    EXPECT_EQ(raised([&] { str_set(cell.addr(), "abcdef"); }), err::string_too_long);
    EXPECT_EQ(raised([&] { str_prepare(cell.addr(), 6); }), err::string_too_long);
    EXPECT_EQ(raised([&] { str_reserve(cell.addr(), 6); }), err::string_too_long);
    str_set(source.addr(), "123456");
    EXPECT_EQ(raised([&] { str_assign(cell.addr(), source.record()); }), err::string_too_long);
    EXPECT_EQ(cell.record(), kept);
    EXPECT_EQ(cell.text(), "abcde");
    EXPECT_EQ(str_count(source.record()), 1) << "a refused assignment takes no reference";

    // The unchecked form ignores the maximum.
    str_assign_unchecked(cell.addr(), source.record());
    EXPECT_EQ(cell.text(), "123456");
    EXPECT_EQ(str_count(source.record()), 2);
}

TEST_F(Strings, PrepareAndReserveWorkInPlaceWhenPrivateWithRoom) {
    TestCell cell;
    str_set(cell.addr(), "0123456789"); // block of 32 bytes: room for 24
    Addr rec = cell.record();
    ASSERT_EQ(mem_size(rec), expected_block_size(10));
    EXPECT_EQ(str_reserve(cell.addr(), 24), rec);
    EXPECT_EQ(cell.text(), "0123456789") << "in place the length is left to the caller";
    EXPECT_EQ(str_prepare(cell.addr(), 24), rec);

    Addr grown = str_reserve(cell.addr(), 25);
    EXPECT_NE(grown, rec);
    EXPECT_EQ(cell.record(), grown);
    EXPECT_EQ(cell.text(), "0123456789");
    EXPECT_EQ(mem_size(grown), expected_block_size(25));

    Addr fresh = str_prepare(cell.addr(), 100);
    EXPECT_NE(fresh, grown);
    EXPECT_EQ(str_length(fresh), 100);
    EXPECT_EQ(str_count(fresh), 1);

    // The shared empty record is never written: preparing it always gives a new record.
    TestCell empty;
    Addr from_empty = str_prepare(empty.addr(), 0);
    EXPECT_NE(from_empty, empty_string);
    EXPECT_EQ(str_length(from_empty), 0);
}

TEST_F(Strings, NegativeLengthsAreRefusedAndTheTextKept) {
    TestCell cell;
    str_set(cell.addr(), "private text");
    Addr rec = cell.record();
    for (int32_t n : {-1, -8, -9, INT32_MIN}) {
        EXPECT_EQ(raised([&] { str_prepare(cell.addr(), n); }), err::out_of_memory) << n;
        EXPECT_EQ(raised([&] { str_reserve(cell.addr(), n); }), err::out_of_memory) << n;
        EXPECT_EQ(raised([&] { str_set_bytes(cell.addr(), "x", n); }), err::out_of_memory) << n;
    }
    EXPECT_EQ(cell.record(), rec);
    EXPECT_EQ(cell.text(), "private text");
}

TEST_F(Strings, GrowingByOneByteReallocatesOnlyLogarithmicallyOften) {
    TestCell cell;
    std::set<Addr> records;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        int32_t length = str_length(cell.record());
        Addr rec = str_reserve(cell.addr(), length + 1);
        store_u8(str_text(rec) + uint32_t(length), uint8_t('a' + i % 26));
        str_set_length(rec, length + 1);
        expected += char('a' + i % 26);
        records.insert(rec);
    }
    EXPECT_EQ(cell.text(), expected);
    EXPECT_LT(records.size(), 60u) << "each reallocation must leave about a quarter spare";
}

TEST_F(Strings, SetFromASubstringOfTheCellsOwnRecord) {
    TestCell cell, other;
    str_set(cell.addr(), "hello world");
    str_set_bytes(cell.addr(), host_ptr(str_text(cell.record()) + 6), 5);
    EXPECT_EQ(cell.text(), "world");
    // Overlapping source and destination within the text.
    str_set(cell.addr(), "abcdefghij");
    str_set_bytes(cell.addr(), host_ptr(str_text(cell.record()) + 2), 8);
    EXPECT_EQ(cell.text(), "cdefghij");
    // A shared record: the other holder keeps the whole text.
    str_assign(other.addr(), cell.record());
    str_set_bytes(cell.addr(), host_ptr(str_text(cell.record()) + 1), 3);
    EXPECT_EQ(cell.text(), "def");
    EXPECT_EQ(other.text(), "cdefghij");
    EXPECT_EQ(str_count(other.record()), 1);
}

TEST_F(Strings, ReleaseCountsDownAndFreesOnTheLastReference) {
    uint32_t blocks = heap.blocks_in_use;
    {
        TestCell a, b, c;
        str_set(a.addr(), "shared text");
        Addr rec = a.record();
        str_assign(b.addr(), rec);
        str_assign(c.addr(), rec);
        EXPECT_EQ(str_count(rec), 3);
        EXPECT_EQ(heap.blocks_in_use, blocks + 4);
        str_assign(a.addr(), empty_string);
        EXPECT_EQ(str_count(rec), 2);
        str_assign(b.addr(), empty_string);
        EXPECT_EQ(str_count(rec), 1);
        str_assign(c.addr(), empty_string);
        EXPECT_EQ(heap.blocks_in_use, blocks + 3) << "the last release frees the record";
    }
    EXPECT_EQ(heap.blocks_in_use, blocks);
}

TEST_F(Strings, EmptyRecordIsNeverFreed) {
    uint32_t saved = load_u32(empty_string);
    store_u32(empty_string, 1);
    str_release(empty_string); // would stop the engine if it reached mem_free
    str_release(empty_string);
    EXPECT_EQ(str_length(empty_string), 0);
    store_u32(empty_string, saved);
}

TEST_F(Strings, CopyToACBufferTruncatesAndTerminates) {
    TestCell cell;
    str_set(cell.addr(), "0123456789");
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    str_to_cbuf(buffer, cell.record(), 4);
    EXPECT_STREQ(buffer, "012");
    EXPECT_EQ(buffer[4], '#') << "nothing written beyond the buffer";

    std::memset(buffer, '#', sizeof buffer);
    str_to_cbuf(buffer, cell.record(), 10);
    EXPECT_STREQ(buffer, "012345678");
    std::memset(buffer, '#', sizeof buffer);
    str_to_cbuf(buffer, cell.record(), 11);
    EXPECT_STREQ(buffer, "0123456789");
    std::memset(buffer, '#', sizeof buffer);
    str_to_cbuf(buffer, cell.record(), 1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
    std::memset(buffer, '#', sizeof buffer);
    str_to_cbuf(buffer, cell.record(), 0);
    EXPECT_EQ(buffer[0], '#') << "a zero-sized buffer is left alone";
    str_to_cbuf(buffer, empty_string, 5);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(Strings, ByteAccessAtAndBeyondTheEdges) {
    TestCell cell;
    const char bytes[] = {'A', 'B', char(0xFE)};
    str_set_bytes(cell.addr(), bytes, 3);
    Addr rec = cell.record();
    EXPECT_EQ(str_byte_at(rec, 0), 0x41);
    EXPECT_EQ(str_byte_at(rec, 2), 0xFE) << "bytes read as 0 to 255";
    EXPECT_EQ(str_byte_at(rec, 3), 0);
    EXPECT_EQ(str_byte_at(rec, -1), 0);
    EXPECT_EQ(str_byte_at(rec, INT32_MAX), 0);
    EXPECT_EQ(str_byte_at(rec, INT32_MIN), 0);

    str_set(cell.addr(), "AB");
    rec = cell.record();
    EXPECT_EQ(str_u32_at(rec, 0), 0x41420000u);
    EXPECT_EQ(str_u32_at(rec, 1), 0x42000000u);
    EXPECT_EQ(str_u32_at(rec, -1), 0x00414200u);
    EXPECT_EQ(str_u32_at(rec, -3), 0x00000041u);
    EXPECT_EQ(str_u32_at(rec, -4), 0u);
    EXPECT_EQ(str_u32_at(rec, 2), 0u);
    EXPECT_EQ(str_u32_at(rec, INT32_MAX), 0u);
    EXPECT_EQ(str_u32_at(rec, INT32_MAX - 2), 0u);
    EXPECT_EQ(str_u32_at(rec, INT32_MIN), 0u);
    str_set(cell.addr(), "\x12\x34\x56\x78\x9A");
    EXPECT_EQ(str_u32_at(cell.record(), 1), 0x3456789Au);
    EXPECT_EQ(str_u32_at(empty_string, 0), 0u);
}

} // namespace
} // namespace quillet
