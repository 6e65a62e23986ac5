#include "devices/directory_listing.h"
#include "temp_directory.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace quillet {
namespace {

TEST(WildcardMatch, StarsQuestionMarksAndCase) {
    EXPECT_TRUE(wildcard_match("*.*", "README"));
    EXPECT_TRUE(wildcard_match("*.*", "a.b.c"));
    EXPECT_TRUE(wildcard_match("*.TXT", "notes.txt"));
    EXPECT_FALSE(wildcard_match("*.TXT", "notes.txt~"));
    EXPECT_TRUE(wildcard_match("DATA.*", "data"));
    EXPECT_TRUE(wildcard_match("A?C", "abc"));
    EXPECT_FALSE(wildcard_match("A?C", "ac"));
    EXPECT_TRUE(wildcard_match("*", ""));
    EXPECT_FALSE(wildcard_match("", "x"));
    // Many stars against a long name that does not match end quickly.
    EXPECT_FALSE(wildcard_match(std::string(50, '*') + "B", std::string(190, 'a')));
}

TEST(AsctimeText, HasTheStandardLayoutForAnyYear) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(asctime_text(1709632800), "Tue Mar  5 10:00:00 2024\n");
    EXPECT_EQ(asctime_text(0), "Thu Jan  1 00:00:00 1970\n");
    EXPECT_EQ(asctime_text(253402300800LL), "Sat Jan  1 00:00:00 10000\n");
}

TEST(ListDirectory, SortsWithoutRegardToCaseAndSkipsDotEntries) {
    setenv("TZ", "UTC", 1);
    tzset();
    test::TempDirectory dir;
    std::ofstream("beta.txt") << "12345";
    std::ofstream("ALPHA.TXT");
    mkdir("Gamma", 0700);
    utimbuf times{1709632800, 1709632800};
    for (const char* name : {"beta.txt", "ALPHA.TXT", "Gamma"})
        utime(name, &times);
    chmod("ALPHA.TXT", 0444);
    DirectoryListing all = list_directory("", false);
    EXPECT_EQ(all.names, "ALPHA.TXT\r\nbeta.txt\r\nGamma\r\n");
    EXPECT_EQ(all.details, "-r--         0  Tue Mar  5 10:00:00 2024\n  ALPHA.TXT\r\n"
                           "-rw-         5  Tue Mar  5 10:00:00 2024\n  beta.txt\r\n"
                           "drw-         0  Tue Mar  5 10:00:00 2024\n  Gamma\r\n");
    DirectoryListing with_directories = list_directory("B*", true);
    EXPECT_EQ(with_directories.names, "beta.txt\r\nGamma\r\n");
    EXPECT_EQ(
        with_directories.details.substr(
            with_directories.details.rfind("\r\n", with_directories.details.size() - 3) + 2, 1),
        "D");
    EXPECT_EQ(list_directory(dir.path() + "/G*", false).names, "Gamma\r\n");
    EXPECT_EQ(list_directory("MISSING\\*.*", false).names, "");
}

} // namespace
} // namespace quillet
