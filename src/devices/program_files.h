// The files a program opens through the file bifs: POSIX descriptors, known to the engine.
//
// The handle a program sees is the descriptor itself. The engine keeps the set of descriptors it
// opened for the program, so a handle the program never opened (negative, huge, or one of the
// engine's own descriptors: the debug log, the display connection) gets a file status and is
// never read, written, locked or closed. Running a host command closes exactly these files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace quillet {

// A byte range locked through one handle, as the program asked for it.
struct LockedRange {
    uint32_t position;
    uint32_t length;
};

// The program's files (part of the layer's state, devices_state.h): a holder given a fresh
// value, or going, closes the files it held.
struct ProgramFiles {
    std::map<int32_t, std::vector<LockedRange>> open; // handle -> ranges it holds locked
    std::set<int32_t> streams; // handles of the standard streams (read and written in order)
    ProgramFiles() = default;
    ProgramFiles(const ProgramFiles&) = delete;
    ProgramFiles& operator=(const ProgramFiles&) = delete;
    ProgramFiles& operator=(ProgramFiles&& other) noexcept;
    ~ProgramFiles();
};

// Closes every file the program opened (their locks go with them).
void reset_program_files();

struct FileOpenResult {
    int64_t size = 0;
    int32_t handle = -1;
    int32_t status = 0;
};

// Opens a file by engine name. access 1 is read-only, anything else read and write; creation 0
// creates a missing file, 1 creates and fails with status 4 when it exists, anything else
// requires it. A created file gets mode 0600, or 0711 when the name ends in "*" (which is not
// part of the name). A directory is refused with status 1.
//
// "<stdin>", "<stdout>" and "<stderr>" (in any case; names no Windows file can have) open the
// process's standard streams, whatever they are (a file, a pipe, a terminal): a console program
// reads and writes them in order, positions ignored; the size is 1 for a terminal, else 0.
FileOpenResult file_open(const std::string& engine_name, int32_t access, int32_t creation);

// Whether `handle` is a standard stream the program opened.
bool is_stream(int32_t handle);

// Reads from a standard stream what is there, up to buffer.size() bytes (a terminal gives a
// line at a time): `got` is 0 at the end of the input.
int32_t stream_read(int32_t handle, std::span<std::byte> buffer, size_t& got);

// Closes a handle the program opened; any other handle is ignored.
void file_close(int32_t handle);

// Reads buffer.size() bytes at position: 0, the status of errno, or 6 for a short read.
int32_t file_read_at(int32_t handle, int64_t position, std::span<std::byte> buffer);

struct FileWriteResult {
    int32_t written = 0;
    int32_t status = 0;
};

// Writes all of bytes at position (past the end the file grows); a standard stream takes them in
// order.
FileWriteResult file_write_at(int32_t handle, int64_t position, std::span<const std::byte> bytes);

// Cuts or extends the file to length bytes.
int32_t file_set_length(int32_t handle, int64_t length);

// Locks (exclusive, never waiting) or unlocks length bytes from position. Locks are
// open-file-description locks: two handles conflict even within one process, and one handle
// may not lock a range overlapping one it holds. An unlock must name a range exactly as it was
// locked. Status 0, 1 (access denied), 3 (not a handle of the program), -1892 (locked
// elsewhere), -1893 (unlock failed) or 9000.
int32_t file_lock(int32_t handle, uint32_t position, uint32_t length, bool unlock);

} // namespace quillet
