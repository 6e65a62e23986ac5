#include "devices/devices_reset.h"
#include "devices/file_status.h"
#include "devices/program_files.h"
#include "devices/sockets.h"
#include "temp_directory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <vector>

namespace quillet {
namespace {

class ProgramFilesTest : public testing::Test {
protected:
    test::TempDirectory dir;
    void TearDown() override { reset_program_files(); }
};

TEST_F(ProgramFilesTest, OpenModesAndStatuses) {
    EXPECT_EQ(file_open("NONE", 0, 2).status, file_status::not_found);
    FileOpenResult created = file_open("NEW", 0, 0);
    ASSERT_EQ(created.status, 0);
    EXPECT_EQ(file_open("new", 0, 1).status, file_status::exists);
    EXPECT_EQ(file_open(".", 1, 2).status, file_status::protected_file); // a directory
    std::vector<std::byte> bytes(3, std::byte{'z'});
    EXPECT_EQ(file_write_at(created.handle, 10, bytes).written, 3);
    EXPECT_EQ(file_open("NEW", 1, 2).size, 13);
}

TEST_F(ProgramFilesTest, ReadsReportShortReads) {
    FileOpenResult f = file_open("F", 0, 0);
    std::vector<std::byte> bytes(5, std::byte{'a'});
    file_write_at(f.handle, 0, bytes);
    std::vector<std::byte> buffer(10);
    EXPECT_EQ(file_read_at(f.handle, 0, std::span(buffer).first(5)), 0);
    EXPECT_EQ(file_read_at(f.handle, 0, buffer), file_status::disk_full);
    EXPECT_EQ(file_read_at(f.handle, -1, buffer), file_status::trouble);
}

TEST_F(ProgramFilesTest, HandlesNotOpenedByTheProgramAreRefused) {
    std::vector<std::byte> buffer(1);
    for (int32_t h : {-1, 0, 1, 2, 1 << 30}) {
        EXPECT_EQ(file_read_at(h, 0, buffer), file_status::trouble);
        EXPECT_EQ(file_write_at(h, 0, buffer).status, file_status::trouble);
        EXPECT_EQ(file_set_length(h, 0), file_status::trouble);
        EXPECT_EQ(file_lock(h, 0, 1, false), file_status::not_found);
        file_close(h);
    }
}

TEST_F(ProgramFilesTest, LocksOfTwoHandlesConflict) {
    FileOpenResult a = file_open("L", 0, 0);
    FileOpenResult b = file_open("L", 0, 2);
    FileOpenResult reader = file_open("L", 1, 2);
    EXPECT_EQ(file_lock(a.handle, 0, 10, false), 0);
    EXPECT_EQ(file_lock(b.handle, 9, 1, false), file_status::range_locked);
    EXPECT_EQ(file_lock(a.handle, 9, 1, false), file_status::range_locked);
    EXPECT_EQ(file_lock(b.handle, 9, 1, true), file_status::unlock_failed);
    EXPECT_EQ(file_lock(reader.handle, 20, 1, false), file_status::protected_file);
    EXPECT_EQ(file_lock(a.handle, 0, 10, true), 0);
    EXPECT_EQ(file_lock(b.handle, 9, 1, false), 0);
    // Ranges beyond 2 GiB are positions of 32 bits without sign.
    EXPECT_EQ(file_lock(a.handle, 0xFFFFFF00u, 0x100, false), 0);
    EXPECT_EQ(file_lock(b.handle, 0xFFFFFFF0u, 1, false), file_status::range_locked);
}

// The layer's reset replaces its state, whose parts close what the program left open: its files
// and sockets are closed (not merely forgotten), and the next program starts with none.
TEST_F(ProgramFilesTest, TheDevicesResetClosesWhatTheProgramLeftOpen) {
    const int32_t file = file_open("OPEN", 0, 0).handle;
    const int32_t socket = socket_create(2, SOCK_STREAM, 0);
    ASSERT_GE(file, 0);
    ASSERT_GE(socket, 0);
    reset_devices_state();
    EXPECT_EQ(fcntl(file, F_GETFD), -1);
    EXPECT_EQ(fcntl(socket, F_GETFD), -1);
    EXPECT_EQ(socket_use_count(), 0);
    std::vector<std::byte> buffer(1);
    EXPECT_EQ(file_read_at(file, 0, buffer), file_status::trouble);
}

} // namespace
} // namespace quillet
