// The disassembler on images it cannot show as ops, and on damaged images.
#include "assembler.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "disassembler.h"

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::tools;

namespace {

const char* program = "start main\n"
                      "override 70 helper\n"
                      "module m\n"
                      " routine main name \"Main program\"\n"
                      "  local num x\n"
                      "  line 10\n"
                      "  bif 70 x\n"
                      "  bif 60 num x, str \"unknown signature\"\n"
                      "  line 20\n" // a statement boundary: decoding resumes here
                      " loop:\n"
                      "  jump_if_false loop\n"
                      "  end_unit 0\n"
                      " routine helper\n"
                      "  ref num r\n"
                      "  move 1, r\n"
                      "  return\n"
                      "end\n";

} // namespace

TEST(Disassembler, ReproducesImagesWithUnknownBifOperands) {
    std::vector<uint8_t> image = assemble_bytes(program, "p.qba");
    std::string text = disassemble(image, "p.img");
    EXPECT_NE(text.find("bif log10 frame 40"), std::string::npos) << text;
    EXPECT_NE(text.find("override log10 m0.helper"), std::string::npos) << text;
    EXPECT_NE(text.find("; line 10"), std::string::npos);
    EXPECT_NE(text.find("jump_if_false L_"), std::string::npos);
    EXPECT_NE(text.find("bytes 94 3C"), std::string::npos) << "bif 60 shown as bytes";
    EXPECT_EQ(assemble_bytes(text, "again.qba"), image);
}

TEST(Disassembler, DamagedImagesGiveErrorsNeverCrashes) {
    std::vector<uint8_t> image = assemble_bytes(program, "p.qba");
    // Every single-byte corruption either disassembles into the same bytes or is refused.
    for (size_t at = 0; at < image.size(); at += (at < 40 || at > 2080) ? 1 : 64) {
        for (uint8_t v : {0x00, 0x80, 0xFF}) {
            std::vector<uint8_t> bad = image;
            bad[at] = v;
            try {
                std::string text = disassemble(bad, "bad.img");
                EXPECT_EQ(assemble_bytes(text, "bad.qba"), bad) << at;
            } catch (const bcode::FormatError&) {
            }
        }
    }
}

// Routines named with the language's words, an op's name and an address mode's: their labels
// must not read as those words, or the text would not assemble back.
TEST(Disassembler, NamesNoLabelWithALanguageWord) {
    std::string source = "module m\n routine main name \"Main program\"\n  line 1\n";
    const char* names[] = {"end",  "line",  "param", "size", "lit2", "routines",
                           "move", "frame", "start", "of",   "tail"};
    for (const char* name : names)
        source += "  call " + std::string(name) + "_\n";
    source += "  end_unit 0\n";
    int line = 1;
    for (const char* name : names)
        source += " routine " + std::string(name) + "_ name \"" + name + "\"\n  line " +
                  std::to_string(++line) + "\n  return\n";
    source += "end\n";
    std::vector<uint8_t> image = assemble_bytes(source, "words.qba");
    std::string text = disassemble(image, "words.img");
    for (const char* name : names)
        EXPECT_NE(text.find(std::string(" routine r_") + name + " "), std::string::npos)
            << name << "\n"
            << text;
    EXPECT_EQ(assemble_bytes(text, "again.qba"), image);
}
