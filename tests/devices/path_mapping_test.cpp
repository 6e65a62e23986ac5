#include "devices/path_mapping.h"
#include "temp_directory.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillet {
namespace {

void touch(const std::string& path) {
    std::ofstream(path) << "x";
}

TEST(EngineFileName, CutsAtTheBufferAndAtNulAndUpperCasesAsciiOnly) {
    EXPECT_EQ(engine_file_name("data.txt"), "DATA.TXT");
    EXPECT_EQ(engine_file_name(std::string("ab\0cd", 5)), "AB");
    EXPECT_EQ(engine_file_name(std::string(300, 'a')), std::string(199, 'A'));
    EXPECT_EQ(engine_file_name(std::string(2000, 'b'), directory_buffer), std::string(1023, 'B'));
    EXPECT_EQ(engine_file_name("\xC3\xA9t\xC3\xA9.txt"), "\xC3\xA9T\xC3\xA9.TXT");
}

TEST(HostPath, FindsExistingComponentsWithoutRegardToCase) {
    test::TempDirectory dir;
    mkdir("Sub", 0700);
    touch("Sub/data.txt");
    EXPECT_EQ(host_path("SUB\\DATA.TXT"), "Sub/data.txt");
    EXPECT_EQ(host_path("sub/Data.Txt"), "Sub/data.txt");
    EXPECT_EQ(host_path("SUB//.\\DATA.TXT"), "Sub/data.txt");
    // A new last component keeps the engine's spelling.
    EXPECT_EQ(host_path("SUB\\NEW.TXT"), "Sub/NEW.TXT");
    // A missing directory stays as written, so the host reports it missing.
    EXPECT_EQ(host_path("NONE\\DATA.TXT"), "NONE/DATA.TXT");
    EXPECT_EQ(host_path("SUB\\..\\SUB\\DATA.TXT"), "Sub/../Sub/data.txt");
    EXPECT_EQ(host_path(dir.path() + "/SUB/DATA.TXT"), dir.path() + "/Sub/data.txt");
}

TEST(HostPath, PrefersTheExactNameThenTheFirstInByteOrder) {
    test::TempDirectory dir;
    touch("abc");
    touch("ABC");
    touch("Abc");
    EXPECT_EQ(host_path("Abc"), "Abc");
    EXPECT_EQ(host_path("aBC"), "ABC");
}

TEST(HostPath, DriveLettersMapThroughTheEnvironment) {
    test::TempDirectory dir;
    touch("file.dat");
    setenv("QUILLET_DRIVE_Q", dir.path().c_str(), 1);
    EXPECT_EQ(host_path("Q:\\FILE.DAT"), dir.path() + "/file.dat");
    EXPECT_EQ(host_path("q:/FILE.DAT"), dir.path() + "/file.dat");
    EXPECT_EQ(host_path("Q:FILE.DAT"), dir.path() + "/file.dat");
    // `..` at a drive's root stays there, as on Windows: no drive name leaves its directory.
    mkdir("Sub", 0700);
    EXPECT_EQ(host_path("Q:\\..\\..\\FILE.DAT"), dir.path() + "/file.dat");
    EXPECT_EQ(host_path("Q:..\\SUB\\..\\..\\FILE.DAT"), dir.path() + "/Sub/../file.dat");
    EXPECT_EQ(host_path("Q:SUB/../.."), dir.path() + "/Sub/..");
    unsetenv("QUILLET_DRIVE_Q");
    unsetenv("QUILLET_DRIVE_R");
    EXPECT_EQ(host_path("R:\\TMP"), "/tmp");
    EXPECT_EQ(host_path("R:\\..\\TMP"), "/tmp");
    EXPECT_EQ(host_path("R:"), "/");
    EXPECT_EQ(host_path("\\"), "/");
    EXPECT_EQ(host_path(""), "");
}

} // namespace
} // namespace quillet
