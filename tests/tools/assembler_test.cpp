// The assembler's encodings: frames, operand tables with escapes, jump tables, literals, and
// its error messages.
#include "asm_error.h"
#include "assembler.h"
#include "bcode/byte_reader.h"
#include "bcode/descriptor.h"
#include "bcode/image.h"
#include "text_index.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::tools;

namespace {

bcode::Image build(const std::string& body) {
    return assemble(body, "t.qba");
}

std::vector<uint8_t> module_bytes(const std::string& body) {
    return build(body).modules[0].bytes;
}

std::string error_of(const std::string& body) {
    try {
        assemble(body, "t.qba");
    } catch (const AsmError& e) {
        return e.what();
    }
    return "";
}

bcode::EntryDescriptor routine_at_start(const bcode::Image& image) {
    return bcode::parse_entry_descriptor(image.modules[image.start_module].bytes,
                                         bcode::module_base_offset + image.start_offset, "test");
}

} // namespace

TEST(Assembler, EmptyRoutineHas36ByteFrame) {
    std::vector<uint8_t> m = module_bytes("module m\n routine main\n return\nend\n");
    EXPECT_EQ(std::vector<uint8_t>(m.begin() + 18, m.begin() + 23),
              (std::vector<uint8_t>{0x12, 0x00, 0x00, 0x20, 0x92}));
}

TEST(Assembler, FrameSlotsAndNumericRegionMeet) {
    bcode::Image image = build("module m\n"
                               " routine main\n"
                               "  local num a\n"
                               "  local str s\n"
                               "  param num p\n"
                               "  ref str r\n"
                               "  move p, a\n"
                               "  str_move s, r\n"
                               "  return\n"
                               "end\n");
    bcode::EntryDescriptor d = routine_at_start(image);
    // a, p in the numeric region; s and r in slots: 36 + 4 * 8 bytes.
    EXPECT_EQ(d.frames[0].frame_units, 34u);
    const std::vector<uint8_t>& m = image.modules[0].bytes;
    size_t table = 4 + bcode::get_u16le(&m[4]);
    // Numeric operands: p = frame 56 (second numeric cell), a = frame 64 (first).
    EXPECT_EQ(bcode::get_u16le(&m[table]), bcode::mode_frame);
    EXPECT_EQ(bcode::get_u16le(&m[table + 2]), 56);
    EXPECT_EQ(bcode::get_u16le(&m[table + 6]), 64);
    size_t strings = 4 + bcode::get_u16le(&m[6]);
    EXPECT_EQ(bcode::get_u16le(&m[strings + 2]), 40); // s: slot 1
    EXPECT_EQ(bcode::get_u16le(&m[strings + 4]), bcode::mode_frame_ref);
    EXPECT_EQ(bcode::get_u16le(&m[strings + 6]), 48); // r: slot 2, by reference
}

TEST(Assembler, Entry256IsReachedThroughAnEscape) {
    std::string src = "module m\n routine main\n  local num x\n";
    for (int i = 0; i < 257; ++i)
        src += "  move " + std::to_string(i + 1000) + ", x\n";
    src += "  return\nend\n";
    bcode::Image image = build(src);
    const std::vector<uint8_t>& m = image.modules[0].bytes;
    size_t table = 4 + bcode::get_u16le(&m[4]);
    for (size_t e = 128; e < 256; ++e)
        EXPECT_EQ(bcode::get_u16le(&m[table + 4 * e]), bcode::mode_escape) << e;
    // x is entry 1; literal 1000 + 255 is the 256th literal, so entry 256 + 1 - 128 ... find
    // the move of literal 1000+254, which lands on entry 256.
    size_t code = 18 + 4; // after the descriptor 13 01 00 20? the frame has one numeric local
    std::vector<uint8_t> expected = {0xC0, 0x80, 0xC0, 0x01};
    auto it = std::search(m.begin() + long(code), m.end(), expected.begin(), expected.end());
    EXPECT_NE(it, m.end()) << "move #256, x not encoded as C0 80 C0 01";
}

TEST(Assembler, JumpTableEntriesWidenTogether) {
    std::string near = "module m\n routine main\n  local num x\n  jump_table x, 0, a, b\n"
                       " a:\n  nop\n b:\n  return\nend\n";
    std::vector<uint8_t> m = module_bytes(near);
    // 86, x, base 0, count 2, entries 1 byte each: a is 1 byte on (after entry 2), b 2 bytes.
    std::vector<uint8_t> expected = {0x86, 0x00, 0x00, 0x02, 0x41, 0x41, 0x98};
    EXPECT_NE(std::search(m.begin(), m.end(), expected.begin(), expected.end()), m.end());

    std::string far = "module m\n routine main\n  local num x\n  jump_table x, 0, a, b\n a:\n";
    for (int i = 0; i < 70; ++i)
        far += "  nop\n";
    far += " b:\n  return\nend\n";
    m = module_bytes(far);
    std::vector<uint8_t> wide = {0x86, 0x00, 0x00, 0x02, 0xA0, 0x02, 0xA0, 0x46};
    EXPECT_NE(std::search(m.begin(), m.end(), wide.begin(), wide.end()), m.end());
}

TEST(Assembler, LiteralsAreDeduplicated) {
    bcode::Image image = build("module m\n routine main\n  local num x\n  local str s\n"
                               "  move 5, x\n  move 5, x\n  move 2.5, x\n  move lit2 5, x\n"
                               "  str_move \"a\", s\n  str_move \"a\", s\n  return\nend\n");
    EXPECT_EQ(image.cells1.size(), 16u); // 5 and 2.5
    EXPECT_EQ(image.cells2.size(), 8u);
    EXPECT_EQ(image.string_pointers.size(), 1u);
    EXPECT_EQ(image.literal_tail_entries, 1u);
    // Integer literals take the integer form: high word FFFFFFFF.
    EXPECT_EQ(image.cells1[4], 0xFF);
    EXPECT_EQ(image.cells1[0], 5);
}

TEST(Assembler, LineTableFollowsLineStatements) {
    bcode::Image image = build("module m\n routine main name \"Main program\"\n"
                               "  line 11\n  nop\n  nop\n  line 22\n  return\nend\n");
    const std::vector<uint8_t>& m = image.modules[0].bytes;
    size_t lines = 4 + bcode::get_u16le(&m[14]);
    // Header (14 bytes) as line 0, the routine name, step 0 over the descriptor, step 11 and
    // two op bytes, then line 22 with one byte.
    std::vector<uint8_t> expected = {0xCE, 0xA8};
    for (char c : std::string("Main program"))
        expected.push_back(uint8_t(c));
    expected.insert(expected.end(), {0x00, 0x00, 0xC4, 0x0B, 0xC2, 0xC1, 0xA3});
    EXPECT_EQ(
        std::vector<uint8_t>(m.begin() + long(lines), m.begin() + long(lines + expected.size())),
        expected);
}

TEST(Assembler, ErrorsNameFileAndLine) {
    EXPECT_EQ(error_of("module m\n routine main\n  add y, 1, y\nend\n"),
              "t.qba:3: unknown operand 'y'");
    EXPECT_EQ(error_of("module m\n routine main\n  call f 1\n routine f\n  param num a\n"
                       "  param str b\n  return\nend\n"),
              "t.qba:3: routine f takes 2 arguments (num, str), but 1 are given");
    EXPECT_EQ(error_of("module m\n routine main\n  call f \"x\"\n routine f\n  param num a\n"
                       "  return\nend\n"),
              "t.qba:3: the call of f takes a numeric operand here, but '\"x\"' is a string "
              "operand");
    EXPECT_EQ(error_of("module m\n routine main\n  bif 60 frame 40\n  return\nend\n"),
              "t.qba:3: the kind of operand 'frame 40' in bif 60 is not known: write num, str, "
              "numarr or strarr before it");
    EXPECT_EQ(error_of("module m\n routine main\n  bif 38 1, 2\nend\n"),
              "t.qba:3: bif 38 takes 1 operands (num), but 2 are given");
    EXPECT_EQ(error_of("module m\n routine main\n  ref num r\n  param str s\n  return\nend\n"),
              "t.qba:4: a string or array slot must come before every reference slot: the "
              "engine releases the first slots of a frame");
    EXPECT_EQ(error_of("module m\n routine main\n  line 20\n  nop\n  line 10\n  return\nend\n"),
              "t.qba:5: line 10 follows line 20: line numbers must increase");
    EXPECT_EQ(error_of("module m\n routine main\n  frobnicate 1\nend\n"),
              "t.qba:3: unknown statement 'frobnicate'");
    EXPECT_EQ(error_of("module m\n routine main\n  move 1\nend\n"),
              "t.qba:3: expected ',' at the end of the line");
    EXPECT_EQ(error_of("start nowhere\nmodule m\n routine main\n  return\nend\n"),
              "t.qba:1: unknown routine nowhere");
}

TEST(Assembler, SourcesAreUtf8AndStringsWindows1252) {
    // A byte-order mark is skipped; a literal's characters become one Windows-1252 byte each.
    bcode::Image image = build("\xEF\xBB\xBFmodule m\n routine main\n  local str s\n"
                               "  str_move \"\xC3\xA9\xE2\x82\xAC\", s\n  return\nend\n");
    const std::vector<uint8_t>& area = image.code_area;
    const std::vector<uint8_t> text = {0xE9, 0x80};
    EXPECT_NE(std::search(area.begin(), area.end(), text.begin(), text.end()), area.end());
    // The column counts characters: the arrow (U+2192) is the 14th.
    EXPECT_EQ(error_of("module m\n routine main\n  local str s\n"
                       "  str_move \"\xC3\xA9\xE2\x86\x92\", s\n  return\nend\n"),
              "t.qba:4:14: the character U+2192 has no Windows-1252 form, the character set of "
              "the engine's strings");
    EXPECT_EQ(error_of("module m\n routine main\n  local str s\n"
                       "  str_move \"ab\xE9\", s\n  return\nend\n"),
              "t.qba:4:15: the string is not valid UTF-8 (byte 0xE9)");
    EXPECT_EQ(error_of("module m\n routine main\n  local str s\n"
                       "  str_move \"\xED\xA0\x80\", s\n  return\nend\n"),
              "t.qba:4:13: the string is not valid UTF-8 (byte 0xED)");
}

TEST(Assembler, BifsByNameOrNumber) {
    const char* by_name = "module m\n routine main\n  local num n\n  local str s\n"
                          "  bif string_length \"abc\", n\n  bif upper_case \"x\", s\n"
                          "  bif set_op_step_divisor 320, n\n  return\nend\n";
    const char* by_number = "module m\n routine main\n  local num n\n  local str s\n"
                            "  bif 10 \"abc\", n\n  bif 19 \"x\", s\n  bif 454 320, n\n"
                            "  return\nend\n";
    EXPECT_EQ(module_bytes(by_name), module_bytes(by_number));
    EXPECT_EQ(error_of("module m\n routine main\n  bif no_such_bif 1\nend\n"),
              "t.qba:3: 'no_such_bif' is not the name of a bif (quillet bifs lists them)");
    // Integer operands of a bif are numeric operands; the table's kinds are checked.
    EXPECT_EQ(error_of("module m\n routine main\n  bif next_env \"x\"\nend\n"),
              "t.qba:3: bif 102 takes a numeric operand here, but '\"x\"' is a string operand");
    EXPECT_EQ(error_of("module m\n routine main\n  bif pos \"a\", \"b\", 1\nend\n"),
              "t.qba:3: bif 15 takes 4 operands (str, str, num, num), but 3 are given");
}

TEST(Assembler, CodePastSixtyFourKilobytesKeepsTablesAndEntryInReach) {
    // 30,000 three-byte moves: the code passes the 16-bit offsets of the module header, so the
    // tables go before the code and the line table after the routine's entry, which jumps
    // over it; a jump from the far end back to the start takes three offset bytes.
    std::string body = "module m\n routine main name \"Main program\"\n  local num x\n  line 1\n"
                       " top:\n";
    for (int i = 0; i < 30000; ++i)
        body += "  move " + std::to_string(i % 100) + ", x\n";
    bcode::Image image = build(body + "  line 2\n  jump top\n  return\nend\n");
    const std::vector<uint8_t>& m = image.modules[0].bytes;
    ASSERT_GT(m.size(), 90000u);
    size_t numeric = 4 + bcode::get_u16le(&m[4]), lines = 4 + bcode::get_u16le(&m[14]);
    size_t entry = 4 + image.start_offset;
    EXPECT_LT(numeric, entry);
    // The descriptor, then `jump` over the line table, whose offset is one byte (value + 64):
    // the table of two lines is short.
    std::vector<uint8_t> descriptor;
    bcode::encode_entry_descriptor(routine_at_start(image), descriptor);
    size_t after = entry + descriptor.size();
    ASSERT_EQ(m[after], bcode::op_jump);
    ASSERT_LT(m[after + 1], 0x80);
    size_t skip = size_t(m[after + 1] - 64);
    EXPECT_EQ(lines, after + 2);
    EXPECT_EQ(m[lines + skip - 1], 0xA3); // the line table ends where the jump lands
    EXPECT_EQ(m[lines + skip], bcode::op_move);
    // The module ends with the jump back (three offset bytes, the first 0xC0 or above) and
    // the return: the tables are all before the code.
    EXPECT_EQ(m[m.size() - 5], bcode::op_jump);
    EXPECT_EQ(m[m.size() - 4] & 0xC0, 0xC0);

    // A routine called after the large one starts too far in for a routine table entry.
    std::string error = error_of(body + "  call other\n  return\n routine other\n  return\nend\n");
    EXPECT_NE(error.find("routine other starts 90"), std::string::npos) << error;
    EXPECT_NE(error.find("beyond the 64 KB that a routine entry can reach"), std::string::npos);
}

TEST(Assembler, InternalRoutineMayLiveInAnotherModule) {
    // An internal routine sees its unit's variables through the environment, wherever it is.
    bcode::Image image = build("module m\n routine main\n  local num x\n  local num y\n"
                               "  call n.helper\n  return\nend\n"
                               "module n\n internal helper of m.main\n  add y, 1, y\n  return\n"
                               "end\n");
    const std::vector<uint8_t>& n = image.modules[1].bytes;
    size_t numeric = 4 + bcode::get_u16le(&n[4]);
    EXPECT_EQ(bcode::get_u16le(&n[numeric]), bcode::mode_env);
    EXPECT_EQ(error_of("module m\n routine main\n  return\nend\nmodule n\n internal h of m.none\n"
                       "  return\nend\n"),
              "t.qba:6: internal routine h names unit m.none, which is not a routine of this "
              "module (MODULE.LABEL names one of another)");
}

// The flat table of lines and labels: every key found after it grew several times, a key
// added twice keeps its first number, keys that share a prefix or differ only in length
// stay apart.
TEST(Assembler, TextIndexFindsEveryKeyAfterGrowing) {
    std::vector<std::string> keys;
    for (int i = 0; i < 5000; ++i)
        keys.push_back("    move n_V" + std::to_string(i) + ", r0");
    keys.push_back("L");
    keys.push_back("L1");
    keys.push_back("");
    TextIndex index;
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_TRUE(index.insert(keys[i], uint32_t(i)));
    EXPECT_FALSE(index.insert(keys[7], 99));
    EXPECT_EQ(index.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const uint32_t* found = index.find(keys[i]);
        ASSERT_NE(found, nullptr) << keys[i];
        EXPECT_EQ(*found, i);
    }
    EXPECT_EQ(index.find("L2"), nullptr);
    EXPECT_EQ(index.find("    move n_V5000, r0"), nullptr);
    index.release();
    EXPECT_EQ(index.find("L"), nullptr);
    index.reserve(3);
    EXPECT_TRUE(index.insert("L", 4));
    EXPECT_EQ(*index.find("L"), 4u);
}
