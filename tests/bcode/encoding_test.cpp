// Golden encodings of the op-stream numbers, descriptors and line tables.
#include "bcode/descriptor.h"
#include "bcode/format_error.h"
#include "bcode/line_table.h"
#include "bcode/numbers.h"
#include "bcode/ops.h"

#include <gtest/gtest.h>

using namespace quillet::bcode;

namespace {

int32_t signed_of(std::vector<uint8_t> bytes) {
    size_t pos = 0;
    int32_t v = decode_signed(bytes.data(), pos);
    EXPECT_EQ(pos, bytes.size());
    return v;
}

uint32_t unsigned_of(std::vector<uint8_t> bytes) {
    size_t pos = 0;
    uint32_t v = decode_unsigned(bytes.data(), pos);
    EXPECT_EQ(pos, bytes.size());
    return v;
}

std::vector<uint8_t> signed_bytes(int32_t v, size_t size) {
    std::vector<uint8_t> out;
    encode_signed(v, size, out);
    return out;
}

} // namespace

TEST(Numbers, SignedGoldenValues) {
    EXPECT_EQ(signed_of({0x40}), 0);
    EXPECT_EQ(signed_of({0x00}), -64);
    EXPECT_EQ(signed_of({0x7F}), 63);
    EXPECT_EQ(signed_of({0xA0, 0x00}), 0);
    EXPECT_EQ(signed_of({0x9F, 0xFF}), -1);
    EXPECT_EQ(signed_of({0x80, 0x00}), -8192);
    EXPECT_EQ(signed_of({0xC0, 0x00, 0x00}), -2097152);
    EXPECT_EQ(signed_of({0xFF, 0xFF, 0xFF}), 2097151);
}

TEST(Numbers, UnsignedGoldenValues) {
    EXPECT_EQ(unsigned_of({0x7F}), 127u);
    EXPECT_EQ(unsigned_of({0x80, 0xC0}), 192u); // the escape that selects operand entry 256
    EXPECT_EQ(unsigned_of({0x81, 0x10}), 0x110u);
    EXPECT_EQ(unsigned_of({0xFF, 0xFF, 0xFF}), 4194303u);
}

TEST(Numbers, EncodingRoundTripsAtEveryBoundary) {
    for (int32_t v : {-2097152, -8193, -8192, -65, -64, -1, 0, 63, 64, 8191, 8192, 2097151}) {
        std::vector<uint8_t> out;
        encode_signed(v, out);
        EXPECT_EQ(out.size(), signed_size(v));
        EXPECT_EQ(signed_of(out), v);
    }
    for (uint32_t v : {0u, 127u, 128u, 16383u, 16384u, 4194303u}) {
        std::vector<uint8_t> out;
        encode_unsigned(v, out);
        EXPECT_EQ(unsigned_of(out), v);
    }
    EXPECT_EQ(signed_bytes(-1, 2), (std::vector<uint8_t>{0x9F, 0xFF}));
    EXPECT_EQ(signed_bytes(5, 2), (std::vector<uint8_t>{0xA0, 0x05})); // a wide jump-table entry
    EXPECT_THROW(signed_size(2097152), FormatError);
    EXPECT_THROW(unsigned_size(4194304), FormatError);
    EXPECT_THROW(signed_bytes(64, 1), FormatError);
}

TEST(Ops, TableHasThe37OpsAndNothingElse) {
    int count = 0;
    for (int b = 0; b < 256; ++b)
        if (const OpInfo* op = op_info(uint8_t(b))) {
            ++count;
            EXPECT_EQ(op_by_name(op->name), op);
        }
    EXPECT_EQ(count, 37);
    EXPECT_EQ(op_info(0x81), nullptr);
    EXPECT_EQ(op_info(0xB0), nullptr);
    EXPECT_EQ(op_by_name("jump_table")->byte, 0x86);
    EXPECT_EQ(op_by_name("substr_assign")->operands, "SSII");
}

TEST(Descriptor, MinimalFrameIs36Bytes) {
    const std::vector<uint8_t> bytes = {0x12, 0x00, 0x00, 0x20};
    EntryDescriptor d = parse_entry_descriptor(bytes, 0, "test");
    ASSERT_EQ(d.frames.size(), 1u);
    EXPECT_EQ(2 * d.frames[0].frame_units, 36u);
    EXPECT_EQ(frame_units_for(d.frames[0]), 0x12u);
    EXPECT_EQ(d.frames[0].items.back().code, desc_own_env);
    EXPECT_EQ(d.size, 4u);
}

TEST(Descriptor, EveryDataFormRoundTrips) {
    std::vector<uint8_t> bytes = {0x20, 0x01, 0x02,       // frame size, 1 numeric, 2 string locals
                                  0x02, 0x00, 0x01, 0x00, // fixed string of 256
                                  0x04, 0x01, 0xFF, 0xFF, 0xFF, 0xFB, 0,   0,
                                  0,    11,   0,    0,    0,    0, // numeric array -5..5
                                  0x1C, 0x83, 0x00,                // channel 768
                                  0x1E, 0x02,                      // reserve 2
                                  0x24, 0x0A,                      // shared block, register 1
                                  0x12, 0x00, 0x00, 0x26, 'f',  0,    'l', 0}; // native routine
    EntryDescriptor d = parse_entry_descriptor(bytes, 0, "test");
    ASSERT_EQ(d.frames.size(), 2u);
    EXPECT_EQ(d.frames[0].items[0].number, 256u);
    EXPECT_EQ(d.frames[0].items[1].bounds[0].lower, -5);
    EXPECT_EQ(d.frames[0].items[1].bounds[0].count, 11u);
    EXPECT_EQ(d.frames[0].items[2].number, 768u);
    EXPECT_EQ(d.frames[1].items[0].procedure, "f");
    EXPECT_EQ(d.size, bytes.size());
    std::vector<uint8_t> again;
    encode_entry_descriptor(d, again);
    EXPECT_EQ(again, bytes);
    EXPECT_EQ(argument_kinds(d), "I");
}

TEST(Descriptor, BadCodesAndTruncationAreReported) {
    const std::vector<uint8_t> odd = {0x12, 0x00, 0x00, 0x21};
    EXPECT_THROW(parse_entry_descriptor(odd, 0, "test"), FormatError);
    const std::vector<uint8_t> above = {0x12, 0x00, 0x00, 0x28};
    EXPECT_THROW(parse_entry_descriptor(above, 0, "test"), FormatError);
    const std::vector<uint8_t> unended = {0x12, 0x00, 0x00, 0x08, 0x08};
    EXPECT_THROW(parse_entry_descriptor(unended, 0, "test"), FormatError);
    const std::vector<uint8_t> bad_register = {0x12, 0x00, 0x00, 0x24, 0x0C};
    EXPECT_THROW(parse_entry_descriptor(bad_register, 0, "test"), FormatError);
}

TEST(LineTable, GoldenMainProgramStart) {
    std::vector<uint8_t> bytes = {0xA8};
    for (char c : std::string("Main program"))
        bytes.push_back(uint8_t(c));
    bytes.insert(bytes.end(), {0x00, 0x0B, 0xC6, 0x82, 0x01, 0x00, 0xE0, 0x01, 0x00, 0xA0, 0xA3});
    LineTable t = parse_line_table(bytes, 0, "test");
    ASSERT_EQ(t.items.size(), 6u);
    EXPECT_EQ(t.items[0].kind, LineItem::routine);
    EXPECT_EQ(t.items[0].name, "Main program");
    EXPECT_EQ(t.items[1].value, 11u);
    EXPECT_EQ(t.items[2].kind, LineItem::code);
    EXPECT_EQ(t.items[2].value, 6u);
    EXPECT_EQ(t.items[3].value, 0x20100u); // three-byte step
    EXPECT_EQ(t.items[4].value, 0x100u);   // three-byte line length
    EXPECT_EQ(t.items[5].value, line_when);
    EXPECT_EQ(t.size, bytes.size());
    std::vector<uint8_t> again;
    encode_line_table(t.items, again);
    EXPECT_EQ(again, bytes);
}

TEST(LineTable, RejectsBadBytesAndMissingEnd) {
    const std::vector<uint8_t> bug = {0x05, 0xAA, 0xA3};
    EXPECT_THROW(parse_line_table(bug, 0, "test"), FormatError);
    const std::vector<uint8_t> unended = {0x05, 0xC1};
    EXPECT_THROW(parse_line_table(unended, 0, "test"), FormatError);
    const std::vector<uint8_t> name = {0xA8, 'x'};
    EXPECT_THROW(parse_line_table(name, 0, "test"), FormatError);
    const std::vector<uint8_t> high = {0xA8, 0xE9, 0x00, 0xA3};
    EXPECT_THROW(parse_line_table(high, 0, "test"), FormatError);
}
