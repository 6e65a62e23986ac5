#include "graphics/postscript_journal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace quillet {
namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class JournalTest : public testing::Test {
protected:
    std::string base =
        (std::filesystem::temp_directory_path() / ("quillet-ps-" + std::to_string(getpid())))
            .string();
    void TearDown() override {
        reset_postscript_journal();
        std::remove((base + "-1.ps").c_str());
        std::remove((base + "-2.ps").c_str());
    }
};

TEST_F(JournalTest, TwoLinesAndTheTrailerMakeFiveLines) {
    EXPECT_FALSE(postscript_add("early"));
    ASSERT_TRUE(postscript_begin(base + "-1.ps"));
    EXPECT_TRUE(postscript_add("a"));
    EXPECT_TRUE(postscript_add("b"));
    EXPECT_TRUE(postscript_end());
    EXPECT_FALSE(postscript_end());
    EXPECT_EQ(read_all(base + "-1.ps"), "a\nb\nshowpage\n"
                                        "grestore                   % restore graphics state\n"
                                        "% --- End Quillet BASIC PostScript Output --- \n");
}

TEST_F(JournalTest, ABeginWhileOpenKeepsTheOldLines) {
    ASSERT_TRUE(postscript_begin(base + "-1.ps"));
    postscript_add("kept");
    ASSERT_TRUE(postscript_begin(base + "-2.ps"));
    EXPECT_EQ(read_all(base + "-1.ps"), "kept\n");
    EXPECT_FALSE(postscript_begin("/nonexistent-dir/x.ps"));
    EXPECT_FALSE(postscript_add("after a failed begin"));
}

} // namespace
} // namespace quillet
