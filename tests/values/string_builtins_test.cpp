// The string built-ins on cells and texts: searches by substring and by byte set, case changes,
// packed doubles, bit fields and the LONG mode, the conversion fast paths, and bar lists.
#include "test_cells.h"
#include "values/bit_fields.h"
#include "values/case_conversion.h"
#include "values/number_text.h"
#include "values/packed_numbers.h"
#include "values/split_join.h"
#include "values/string_search.h"
#include "values_test_support.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace quillet {
namespace {

using Texts = std::vector<std::string>;

class StringBuiltins : public ValuesTest {};

TEST(StringSearch, ForwardFindsTheFirstOccurrenceFromThePosition) {
    EXPECT_EQ(search_forward("banana", "ana", 1), 2);
    EXPECT_EQ(search_forward("banana", "ana", 2), 2);
    EXPECT_EQ(search_forward("banana", "ana", 3), 4);
    EXPECT_EQ(search_forward("banana", "ana", 5), 0);
    EXPECT_EQ(search_forward("banana", "ana", 0), 2);
    EXPECT_EQ(search_forward("banana", "ana", -5), 2);
    EXPECT_EQ(search_forward("banana", "ana", INT32_MIN), 2);
    EXPECT_EQ(search_forward("banana", "banana", 1), 1);
    EXPECT_EQ(search_forward("banana", "bananas", 1), 0);
    EXPECT_EQ(search_forward("banana", "x", 1), 0);
    EXPECT_EQ(search_forward("banana", "a", INT32_MAX), 0);
    EXPECT_EQ(search_forward("aaab", "aab", 1), 2) << "a partial match does not skip a start";
    EXPECT_EQ(search_forward(std::string_view("a\0b", 3), std::string_view("\0b", 2), 1), 2);
}

TEST(StringSearch, ForwardAgreesWithAPlainScanPastManyFalseStarts) {
    // Texts with many near misses before a match, none at all, or a match at the very end: the
    // search changes method after a few false starts and must find the same place.
    for (int misses : {0, 1, 7, 8, 9, 50}) {
        std::string near_misses;
        for (int k = 0; k < misses; ++k)
            near_misses += "ab";
        for (const std::string& text : {near_misses + "abc", near_misses, near_misses + "xabc"}) {
            for (int32_t from : {1, 3}) {
                size_t at = text.find("abc", size_t(from - 1));
                int32_t want = at == std::string::npos ? 0 : int32_t(at) + 1;
                EXPECT_EQ(search_forward(text, "abc", from), want) << text << " from " << from;
            }
        }
    }
    EXPECT_EQ(search_forward("aaaaaaaaaaaaaaaaaaaa", "aab", 1), 0);
    EXPECT_EQ(search_forward("aaaaaaaaaaaaaaaaaaab", "aab", 1), 18);
}

TEST(StringSearch, ForwardWithAnEmptyPattern) {
    EXPECT_EQ(search_forward("banana", "", 10), 7);
    EXPECT_EQ(search_forward("banana", "", 3), 3);
    EXPECT_EQ(search_forward("banana", "", 6), 6);
    EXPECT_EQ(search_forward("banana", "", 7), 7);
    EXPECT_EQ(search_forward("banana", "", -1), 1);
    EXPECT_EQ(search_forward("", "", 1), 1);
}

TEST(StringSearch, BackwardFindsTheLastOccurrenceAtOrBefore) {
    EXPECT_EQ(search_backward("banana", "ana", 6), 4);
    EXPECT_EQ(search_backward("banana", "ana", 100), 4);
    EXPECT_EQ(search_backward("banana", "ana", 3), 2);
    EXPECT_EQ(search_backward("banana", "ana", 1), 0);
    EXPECT_EQ(search_backward("banana", "ana", INT32_MIN), 0);
    EXPECT_EQ(search_backward("banana", "bananas", 10), 0);
    EXPECT_EQ(search_backward("banana", "", 3), 3);
    EXPECT_EQ(search_backward("banana", "", 100), 7);
    EXPECT_EQ(search_backward("banana", "", 0), 0);
}

TEST(StringSearch, ByteSets) {
    EXPECT_EQ(search_set_forward("hello", "lo", 1, true), 3);  // 253
    EXPECT_EQ(search_set_forward("hello", "lo", 1, false), 1); // 251
    EXPECT_EQ(search_set_backward("hello", "lo", 5, true), 5); // 252
    EXPECT_EQ(search_set_backward("hello", "o", 5, false), 4); // 250
    EXPECT_EQ(search_set_forward("hello", "hel", 1, false), 5);
    EXPECT_EQ(search_set_backward("hello", "lo", 2, true), 0);
    EXPECT_EQ(search_set_backward("hello", "lo", 100, true), 5) << "start clipped to the end";

    // Starts outside the text and empty sets.
    EXPECT_EQ(search_set_forward("hello", "o", 6, true), 0);
    EXPECT_EQ(search_set_forward("hello", "o", 6, false), 0);
    EXPECT_EQ(search_set_forward("hello", "", 2, true), 0);
    EXPECT_EQ(search_set_forward("hello", "", 2, false), 2);
    EXPECT_EQ(search_set_forward("hello", "", -3, false), 1);
    EXPECT_EQ(search_set_backward("hello", "h", 0, true), 0);
    EXPECT_EQ(search_set_backward("hello", "", 3, true), 0);
    EXPECT_EQ(search_set_backward("hello", "", 3, false), 3);
    EXPECT_EQ(search_set_backward("hello", "", 9, false), 5);
    EXPECT_EQ(search_set_backward("", "", 9, false), 0);
    EXPECT_EQ(search_set_forward("\xff\x80", "\x80", 1, true), 2) << "high bytes are members too";
}

TEST_F(StringBuiltins, CaseChangesOnlyAsciiLetters) {
    TestCell src("Hello, World! \xe9z@[`{"), dst;
    str_change_case(src.addr(), dst.addr(), true);
    EXPECT_EQ(dst.text(), "HELLO, WORLD! \xe9Z@[`{");
    str_change_case(src.addr(), dst.addr(), false);
    EXPECT_EQ(dst.text(), "hello, world! \xe9z@[`{");
    EXPECT_EQ(src.text(), "Hello, World! \xe9z@[`{");
}

TEST_F(StringBuiltins, CaseChangeInPlaceAndOfASharedRecord) {
    TestCell cell("MiXeD"), other;
    str_change_case(cell.addr(), cell.addr(), false);
    EXPECT_EQ(cell.text(), "mixed");
    str_assign(other.addr(), cell.record());
    str_change_case(other.addr(), other.addr(), true);
    EXPECT_EQ(other.text(), "MIXED");
    EXPECT_EQ(cell.text(), "mixed") << "the sharer keeps its text";
    TestCell limited(3);
    EXPECT_EQ(raised([&] { str_change_case(cell.addr(), limited.addr(), true); }),
              err::string_too_long);
}

TEST_F(StringBuiltins, PackedDoublesRoundTrip) {
    TestCell cell;
    str_pack_double(cell.addr(), num_int(1));
    EXPECT_EQ(cell.text(), std::string_view("\x3f\xf0\0\0\0\0\0\0", 8)) << "big-endian 1.0";
    for (double d : {1.0, -2.5, 1e300, -1e-300, std::numeric_limits<double>::min(), num_max(),
                     std::numbers::pi}) {
        str_pack_double(cell.addr(), std::bit_cast<Cell>(d));
        EXPECT_EQ(unpack_double(cell.record()), std::bit_cast<Cell>(d)) << d;
    }
    str_pack_double(cell.addr(), num_int(-7));
    EXPECT_EQ(num_to_double(unpack_double(cell.record())), -7.0);
    str_pack_double(cell.addr(), num_int(0));
    EXPECT_EQ(unpack_double(cell.record()), num_int(0));
}

TEST_F(StringBuiltins, PackedSpecialPatterns) {
    TestCell cell;
    cell.set(std::string_view("\x7f\xf0\0\0\0\0\0\0", 8));
    EXPECT_EQ(unpack_double(cell.record()), std::bit_cast<Cell>(num_max()));
    cell.set(std::string_view("\xff\xf0\0\0\0\0\0\0", 8));
    EXPECT_EQ(unpack_double(cell.record()), std::bit_cast<Cell>(-num_max()));
    cell.set(std::string_view("\x7f\xf8\0\0\0\0\0\0", 8));
    EXPECT_EQ(raised([&] { unpack_double(cell.record()); }), err::improper_num_string);
    cell.set(std::string_view("\xff\xff\xff\xff\0\0\0\0", 8)); // the integer tag is a NaN
    EXPECT_EQ(raised([&] { unpack_double(cell.record()); }), err::improper_num_string);
    cell.set(std::string_view("\x80\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(unpack_double(cell.record()), num_int(0)) << "-0 normalizes";
    cell.set(std::string_view("\0\0\0\0\0\0\0\1", 8));
    EXPECT_EQ(unpack_double(cell.record()), num_int(0)) << "a subnormal normalizes";
    for (std::string_view wrong :
         {std::string_view(""), std::string_view("1234567"), std::string_view("123456789")}) {
        cell.set(wrong);
        EXPECT_EQ(raised([&] { unpack_double(cell.record()); }), err::improper_num_string);
    }
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += char(v);
    return s;
}

TEST_F(StringBuiltins, BitFieldWritesGrowTheText) {
    TestCell cell;
    bit_field_write(cell.addr(), 1, 4, 5);
    EXPECT_EQ(cell.text(), bytes({0x50}));
    EXPECT_EQ(bit_field_read(cell.record(), 1, 4), 5);
    bit_field_write(cell.addr(), 5, 4, 0xF);
    EXPECT_EQ(cell.text(), bytes({0x5F}));
    EXPECT_EQ(bit_field_read(cell.record(), 5, -4), -1);
    EXPECT_EQ(bit_field_read(cell.record(), 5, 4), 15);
    // A field across a byte edge adds a byte; neighbouring bits are kept.
    bit_field_write(cell.addr(), 7, 4, 0);
    EXPECT_EQ(cell.text(), bytes({0x5C, 0x00}));
    // Whole bytes, with the value's low bits.
    bit_field_write(cell.addr(), 9, 16, 0x12345678);
    EXPECT_EQ(cell.text(), bytes({0x5C, 0x56, 0x78}));
    EXPECT_EQ(bit_field_read(cell.record(), 9, 16), 0x5678);
    EXPECT_EQ(bit_field_read(cell.record(), 1, 8), 0x5C);
    EXPECT_EQ(bit_field_read(cell.record(), 1, -8), 0x5C);
    EXPECT_EQ(bit_field_read(cell.record(), 17, -8), 0x78);
}

TEST_F(StringBuiltins, BitFieldPositionsAndWidthsAtTheEdges) {
    TestCell cell;
    cell.set(bytes({0xFF}));
    // A position beyond the text is its end; a position below 1 is the first bit.
    bit_field_write(cell.addr(), 100, 8, 0xAB);
    EXPECT_EQ(cell.text(), bytes({0xFF, 0xAB}));
    bit_field_write(cell.addr(), INT32_MIN, 4, 0);
    EXPECT_EQ(cell.text(), bytes({0x0F, 0xAB}));
    // Width zero writes nothing; a negative width writes like the positive one.
    bit_field_write(cell.addr(), 1, 0, 1);
    bit_field_write(cell.addr(), 9, -8, 0x12);
    EXPECT_EQ(cell.text(), bytes({0x0F, 0x12}));
    // Fields wider than 32 bits: zeros first, then the value's 32 bits.
    bit_field_write(cell.addr(), 1, 40, -1);
    EXPECT_EQ(cell.text(), bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bit_field_read(cell.record(), 1, 40), -1);
    EXPECT_EQ(bit_field_read(cell.record(), 1, -40), -1);
    EXPECT_EQ(bit_field_read(cell.record(), 2, 32), 0x01FFFFFF);
    EXPECT_EQ(bit_field_read(cell.record(), 1, 0), 0);
    // Reading past the end gives zero bits.
    EXPECT_EQ(bit_field_read(cell.record(), 37, 8), 0xF0);
    EXPECT_EQ(bit_field_read(cell.record(), INT32_MAX, 32), 0);
    EXPECT_EQ(bit_field_read(cell.record(), INT32_MAX, INT32_MIN), 0);
    TestCell limited(1);
    EXPECT_EQ(raised([&] { bit_field_write(limited.addr(), 1, 9, 1); }), err::string_too_long);
    EXPECT_EQ(limited.text(), "");
}

TEST_F(StringBuiltins, LongModeIsALittleEndianWordAtAByteOffset) {
    TestCell cell;
    bit_field_write(cell.addr(), 1, long_mode_width, 16909060);
    EXPECT_EQ(cell.text(), bytes({4, 3, 2, 1}));
    EXPECT_EQ(bit_field_read(cell.record(), 1, long_mode_width), 16909060);
    bit_field_write(cell.addr(), 3, long_mode_width, -2);
    EXPECT_EQ(cell.text(), bytes({4, 3, 0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bit_field_read(cell.record(), 3, long_mode_width), -2);
    EXPECT_EQ(bit_field_read(cell.record(), 4, long_mode_width), 0) << "the word must fit";
    // Offsets outside the text: writing clips to the text, reading gives 0.
    bit_field_write(cell.addr(), 1000, long_mode_width, 7);
    EXPECT_EQ(cell.text(), bytes({4, 3, 0xFE, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0}));
    bit_field_write(cell.addr(), -5, long_mode_width, 0x11223344);
    EXPECT_EQ(cell.text().substr(0, 4), bytes({0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(bit_field_read(cell.record(), 0, long_mode_width), 0);
    EXPECT_EQ(bit_field_read(cell.record(), INT32_MIN, long_mode_width), 0);
    EXPECT_EQ(bit_field_read(cell.record(), INT32_MAX, long_mode_width), 0);
}

TEST(NumberText, IntegerFastPathForText) {
    auto text = [](Cell x) { return std::string(integer_to_text(x)->view()); };
    EXPECT_EQ(text(num_int(0)), "0");
    EXPECT_EQ(text(num_int(7)), "7");
    EXPECT_EQ(text(num_int(-45)), "-45");
    EXPECT_EQ(text(num_int(99999999)), "99999999");
    EXPECT_EQ(text(num_int(-99999999)), "-99999999");
    EXPECT_FALSE(integer_to_text(num_int(100000000)));
    EXPECT_FALSE(integer_to_text(num_int(-100000000)));
    EXPECT_FALSE(integer_to_text(num_int(INT32_MIN)));
    EXPECT_FALSE(integer_to_text(std::bit_cast<Cell>(2.5)));
    EXPECT_FALSE(integer_to_text(std::bit_cast<Cell>(3.0))) << "a double goes to the library";
}

TEST(NumberText, IntegerFastPathForNumbers) {
    EXPECT_EQ(text_to_integer("-123"), -123);
    EXPECT_EQ(text_to_integer("123456789"), 123456789);
    EXPECT_EQ(text_to_integer("-12345678"), -12345678);
    EXPECT_EQ(text_to_integer("007"), 7);
    EXPECT_EQ(text_to_integer("-0"), 0);
    for (std::string_view other :
         {"", "-", "+1", " 1", "1 ", "1.5", "1e3", "1234567890", "-123456789", "12a", "--1"})
        EXPECT_FALSE(text_to_integer(other)) << other;
}

TEST_F(StringBuiltins, SplitAndJoinKeepEmptyPieces) {
    TestStringArray list({1}, 0);
    TestCell text("a||b");
    split_string(text.record(), list.cell(), '|');
    EXPECT_EQ(list.texts(), (Texts{"a", "", "b"}));
    EXPECT_EQ(list.block().lower_bound(0), 0) << "the lower bound is kept";
    EXPECT_EQ(list.block().size(0), 3);

    TestCell joined;
    join_strings(joined.addr(), list.block().addr, '|');
    EXPECT_EQ(joined.text(), "a||b");

    text.set("|x|");
    split_string(text.record(), list.cell(), '|');
    EXPECT_EQ(list.texts(), (Texts{"", "x", ""}));
    join_strings(joined.addr(), list.block().addr, '|');
    EXPECT_EQ(joined.text(), "|x|");

    text.set("");
    split_string(text.record(), list.cell(), '|');
    EXPECT_EQ(list.block().count(), 0);
    join_strings(joined.addr(), list.block().addr, '|');
    EXPECT_EQ(joined.text(), "");
}

TEST_F(StringBuiltins, JoinOfOneElementSharesItsRecord) {
    TestStringArray list({1});
    list.set(0, "only");
    TestCell joined;
    join_strings(joined.addr(), list.block().addr, '|');
    EXPECT_EQ(joined.record(), load_u32(list.block().element(0)));
    TestCell limited(3);
    EXPECT_EQ(raised([&] { join_strings(limited.addr(), list.block().addr, '|'); }),
              err::string_too_long);
}

TEST_F(StringBuiltins, SplitIntoTheArrayThatHoldsTheSource) {
    TestStringArray list({2});
    list.set(0, "p,q,r,s,t,u,v,w,x,y,z");
    // The source is an element of the array, which grows and moves.
    split_string(load_u32(list.block().element(0)), list.cell(), ',');
    EXPECT_EQ(list.texts(), (Texts{"p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"}));
    // The destination of a join may be an element as well.
    join_strings(list.block().element(3), list.block().addr, '+');
    EXPECT_EQ(str_view(load_u32(list.block().element(3))), "p+q+r+s+t+u+v+w+x+y+z");
}

TEST_F(StringBuiltins, SplitRefusesTooLongPiecesBeforeAnyChange) {
    TestStringArray list({2}, 1, 3);
    list.set(0, "old");
    TestCell text("ab|abcd");
    EXPECT_EQ(raised([&] { split_string(text.record(), list.cell(), '|'); }), err::string_too_long);
    EXPECT_EQ(list.texts(), (Texts{"old", ""}));
    text.set("ab|abc");
    split_string(text.record(), list.cell(), '|');
    EXPECT_EQ(list.texts(), (Texts{"ab", "abc"}));
}

TEST_F(StringBuiltins, SplitIntoAMatrixFillsItsFirstElements) {
    TestStringArray grid({2, 2});
    for (int32_t i = 0; i < 4; ++i)
        grid.set(i, "old");
    TestCell text("a|b|c");
    split_string(text.record(), grid.cell(), '|');
    EXPECT_EQ(grid.block().dimensions(), 2);
    EXPECT_EQ(grid.block().size(0), 3);
    EXPECT_EQ(grid.block().size(1), 2);
    EXPECT_EQ(grid.texts(), (Texts{"a", "b", "c", "", "", ""}));
}

} // namespace
} // namespace quillet
