// Splitting command-line texts into program arguments.
#include "startup/command_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

std::vector<std::string> split(std::string text) {
    std::vector<char*> argv;
    split_command_line(text.data(), argv);
    return {argv.begin(), argv.end()};
}

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SpacesSeparateAndQuotesGroup) {
    EXPECT_EQ(split("a \"b c\" d"), (Words{"a", "b c", "d"}));
    EXPECT_EQ(split("one"), (Words{"one"}));
    EXPECT_EQ(split("\"x y\""), (Words{"x y"}));
}

TEST(SplitCommandLine, EverySpaceEndsAWord) {
    EXPECT_EQ(split("a  b"), (Words{"a", "", "b"}));
    EXPECT_EQ(split("a "), (Words{"a"}));
}

TEST(SplitCommandLine, EmptyAndNullTextsGiveNoWords) {
    EXPECT_EQ(split(""), Words{});
    std::vector<char*> argv;
    split_command_line(nullptr, argv);
    EXPECT_TRUE(argv.empty());
}

TEST(SplitCommandLine, TextBeforeAQuoteIsDroppedAndAnUnclosedQuoteKeepsItsText) {
    EXPECT_EQ(split("ab\"cd\""), (Words{"cd"}));
    EXPECT_EQ(split("x \"open ended"), (Words{"x", "open ended"}));
}

} // namespace
} // namespace quillet
