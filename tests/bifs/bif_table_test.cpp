// The bif table and the installed handlers agree: every bif the table calls native (or fast path)
// has a handler and every handler belongs to such a bif, so the tools, the docs and the
// engine never disagree about what is implemented.
#include "bcode/bifs.h"
#include "bifs/install_bifs.h"

#include <gtest/gtest.h>

using namespace quillet;

TEST(BifTable, InstalledHandlersMatchTheTable) {
    bif_table = BifTable{};
    install_bifs();
    for (uint32_t n = 0; n < bif_count; ++n) {
        const bcode::BifInfo* b = bcode::bif_info(n);
        bool native = b && b->status != bcode::BifStatus::unimplemented;
        EXPECT_EQ(bif_table.native[n] != nullptr, native) << "bif " << n;
    }
}

TEST(BifTable, NamesAndNumbersFindEachOther) {
    for (const bcode::BifInfo& b : bcode::all_bifs()) {
        EXPECT_EQ(bcode::bif_by_name(b.name), &b) << b.name;
        EXPECT_EQ(bcode::bif_info(b.number), &b) << b.number;
        EXPECT_EQ(b.operands.find_first_not_of("NISAB"), std::string_view::npos) << b.name;
    }
    EXPECT_EQ(bcode::bif_info(60), nullptr);
    EXPECT_EQ(bcode::bif_info(512), nullptr);
    EXPECT_EQ(bcode::bif_by_name("string_length")->number, 10);
    EXPECT_EQ(bcode::all_bifs().size(), 180u);
}

// The engine's fuzz target refuses every bif that reaches beyond the engine, by the reach column
// alone: a bif that writes or deletes files without the mark would let fuzzed programs write
// into whatever directory the fuzzer runs in (bif 498 once did). Listed here from what each bif
// does, not from the table.
TEST(BifTable, BifsThatWriteOrDeleteFilesCarryTheFilesMark) {
    constexpr uint16_t writing_files[] = {
        107, // file_open: creates a file
        110, // file_write
        111, // file_set_length
        112, // file_delete
        136, // file_rename
        408, // pipe_call: creates named pipes, writes the file-pair emulation's files
        434, // postscript_begin: creates the journal file
        435, // postscript_end: writes its trailer
        436, // postscript_add
        450, // print_lines: a PDF file in the print directory
        487, // object_call: printing windows and window printing write PDF files
        498, // write_image
        505, // database_call: a file database's driver writes its file
        507, // file_system: makes and removes directories, deletes and renames files
        508, // object_call_arrays
    };
    for (uint16_t n : writing_files) {
        const bcode::BifInfo* b = bcode::bif_info(n);
        ASSERT_NE(b, nullptr) << n;
        EXPECT_TRUE(b->reaches(bcode::BifReach::files)) << n << " " << b->name;
    }
    // Everything with a family that exists to reach the machine carries some mark.
    for (const bcode::BifInfo& b : bcode::all_bifs()) {
        std::string_view family = bcode::family_name(b.family);
        if (family == "files" || family == "pipes" || family == "postscript" ||
            family == "serial" || family == "sockets" || family == "database" ||
            family == "sound" || family == "dialogs" || family == "clipboard" ||
            family == "events" || family == "print_lines") {
            EXPECT_NE(b.reach, 0) << b.number << " " << b.name;
        }
    }
    EXPECT_EQ(bcode::reach_name(bcode::BifReach::waits), "waits");
    EXPECT_FALSE(bcode::bif_info(10)->reach); // string_length stays inside
}
