// The hashed table kept in a string: its hash function and byte layout (programs store these
// texts in files), chains and replacement, and safe reading of texts it did not make.
#include "test_cells.h"
#include "values/hashed_table.h"
#include "values_test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace quillet {
namespace {

class HashedTable : public ValuesTest {};

uint32_t word(const TestCell& table, uint32_t i) {
    return load_u32(str_text(table.record()) + 4 * i);
}

// A key other than key that falls into the same bucket.
std::string same_bucket_key(const std::string& key) {
    int32_t bucket = hashed_table_hash(key) % hashed_table_buckets;
    for (int i = 1;; ++i) {
        std::string candidate = "k" + std::to_string(i);
        if (candidate != key && hashed_table_hash(candidate) % hashed_table_buckets == bucket)
            return candidate;
    }
}

void store(const TestCell& table, std::string_view key, int32_t value) {
    TestCell k(key);
    hashed_table_store(table.addr(), k.record(), value);
}

TEST(HashedTableHash, LanesOfSignExtendedBytes) {
    EXPECT_EQ(hashed_table_hash(""), 0);
    EXPECT_EQ(hashed_table_hash("a"), 0x61 << 16);
    EXPECT_EQ(hashed_table_hash("ab"), (0x61 << 16) | (0x62 << 8));
    EXPECT_EQ(hashed_table_hash("abc"), (0x61 << 16) | (0x62 << 8) | 0x63);
    // The fourth byte goes back into the first lane.
    EXPECT_EQ(hashed_table_hash("abcd"), ((0x61 ^ 0x64) << 16) | (0x62 << 8) | 0x63);
    // A high byte counts as negative: -1 in the last lane sets every bit.
    EXPECT_EQ(hashed_table_hash(std::string_view("\0\0\xff", 3)), -1);
    EXPECT_EQ(hashed_table_hash("\x80"), int32_t(0xFF800000u));
    EXPECT_EQ(hashed_table_hash(std::string_view("\0\x80", 2)), int32_t(0xFFFF8000u));
}

TEST_F(HashedTable, OneKeyMakesA496ByteTable) {
    TestCell table;
    EXPECT_EQ(hashed_table_find(table.record(), "a"), hashed_table_missing);
    store(table, "a", 7);
    ASSERT_EQ(table.text().size(), 496u);
    EXPECT_EQ(hashed_table_find(table.record(), "a"), 7);
    EXPECT_EQ(hashed_table_find(table.record(), "b"), hashed_table_missing);

    // The layout: 119 buckets, the key's bucket points at word 120, the entry follows.
    EXPECT_EQ(word(table, 0), 119u);
    uint32_t bucket = uint32_t(hashed_table_hash("a") % 119) + 1;
    EXPECT_EQ(word(table, bucket), 120u);
    for (uint32_t b = 1; b <= 119; ++b)
        if (b != bucket) {
            ASSERT_EQ(word(table, b), 0u) << b;
        }
    EXPECT_EQ(word(table, 120), 0u) << "end of the chain";
    EXPECT_EQ(word(table, 121), 7u);
    EXPECT_EQ(word(table, 122), 1u);
    EXPECT_EQ(load_u8(str_text(table.record()) + 4 * 123), 'a');

    store(table, "a", 9);
    EXPECT_EQ(table.text().size(), 496u) << "replacing keeps the length";
    EXPECT_EQ(hashed_table_find(table.record(), "a"), 9);
}

TEST_F(HashedTable, KeysOfOneBucketChainInOrderOfArrival) {
    TestCell table;
    std::string first = "k0", second = same_bucket_key(first);
    store(table, first, 1);
    store(table, second, 2);
    store(table, "twenty bytes of key!", -5);
    EXPECT_EQ(table.text().size(), 480u + 16 + 16 + 32);
    EXPECT_EQ(hashed_table_find(table.record(), first), 1);
    EXPECT_EQ(hashed_table_find(table.record(), second), 2);
    EXPECT_EQ(hashed_table_find(table.record(), "twenty bytes of key!"), -5);
    EXPECT_EQ(word(table, 120), 124u) << "the first entry links to the second";
    EXPECT_EQ(word(table, 124), 0u);
    store(table, second, 20);
    EXPECT_EQ(hashed_table_find(table.record(), second), 20);
    EXPECT_EQ(hashed_table_find(table.record(), first), 1);
}

TEST_F(HashedTable, EmptyKeysAndBytesOfAnyValue) {
    TestCell table;
    store(table, "", 3);
    store(table, std::string_view("\0\xff", 2), 4);
    EXPECT_EQ(hashed_table_find(table.record(), ""), 3);
    EXPECT_EQ(hashed_table_find(table.record(), std::string_view("\0\xff", 2)), 4);
    EXPECT_EQ(hashed_table_find(table.record(), std::string_view("\0", 1)), hashed_table_missing);
}

TEST_F(HashedTable, ACopyIsAnIndependentTable) {
    TestCell table, copy;
    store(table, "x", 1);
    str_assign(copy.addr(), table.record());
    store(copy, "x", 2);
    store(copy, "y", 3);
    EXPECT_EQ(hashed_table_find(table.record(), "x"), 1);
    EXPECT_EQ(hashed_table_find(table.record(), "y"), hashed_table_missing);
    EXPECT_EQ(hashed_table_find(copy.record(), "x"), 2);
    EXPECT_EQ(hashed_table_find(copy.record(), "y"), 3);
}

TEST_F(HashedTable, TheKeyMayBeTheTablesOwnCell) {
    TestCell table;
    store(table, "seed", 1);
    std::string old_text(table.text());
    hashed_table_store(table.addr(), table.record(), 42);
    EXPECT_EQ(table.text().size(), 496u + 12 + 496);
    EXPECT_EQ(hashed_table_find(table.record(), old_text), 42) << "the whole old text is the key";
    EXPECT_EQ(hashed_table_find(table.record(), "seed"), 1);
}

TEST_F(HashedTable, ForeignTextsAreReadSafely) {
    TestCell text;
    for (std::string_view foreign :
         {std::string_view("abc"), std::string_view("\x77\0\0\0", 4),
          std::string_view("\xff\xff\xff\xff", 4), std::string_view("\0\0\0\0", 4)}) {
        text.set(foreign);
        EXPECT_EQ(hashed_table_find(text.record(), "a"), hashed_table_missing);
        EXPECT_EQ(raised([&] { store(text, "a", 1); }), err::system_error);
        EXPECT_EQ(text.text(), foreign) << "a refused store changes nothing";
    }
}

TEST_F(HashedTable, DamagedLinksEndTheSearch) {
    TestCell table;
    store(table, "a", 7);
    Addr text = str_text(table.record());
    uint32_t bucket = uint32_t(hashed_table_hash("a") % hashed_table_buckets) + 1;
    std::string neighbour = same_bucket_key("a");

    store_u32(text + 4 * bucket, 100000); // a head beyond the text
    EXPECT_EQ(hashed_table_find(table.record(), "a"), hashed_table_missing);

    store_u32(text + 4 * bucket, 120);
    store_u32(text + 4 * 122, 1000); // a key length beyond the text
    EXPECT_EQ(hashed_table_find(table.record(), "a"), hashed_table_missing);

    store_u32(text + 4 * 122, 1);
    store_u32(text + 4 * 120, 120); // an entry that links to itself
    EXPECT_EQ(hashed_table_find(table.record(), "a"), 7);
    EXPECT_EQ(hashed_table_find(table.record(), neighbour), hashed_table_missing);
    EXPECT_EQ(raised([&] { store(table, neighbour, 1); }), err::system_error);
}

} // namespace
} // namespace quillet
