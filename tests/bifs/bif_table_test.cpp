// The bif table and the installed handlers agree: every bif the table calls native has a handler
// and every handler belongs to a bif the table calls native, so the tools, the docs and the
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
        bool native = b && b->status == bcode::BifStatus::native;
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
