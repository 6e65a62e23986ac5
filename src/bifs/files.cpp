// Bifs of low-level files: open, read and write at a position, close, set the length, delete,
// rename, the current directory, byte-range locks and the file-system call (directories,
// listings, disk space, setting the clock).
#include "bifs/install_bifs.h"
#include "devices/clock.h"
#include "devices/directory_listing.h"
#include "devices/file_status.h"
#include "devices/file_system.h"
#include "devices/path_mapping.h"
#include "devices/program_files.h"
#include "interp/operands.h"
#include "values/debug_log.h"
#include "values/packed_numbers.h"
#include "values/strings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quillet {
namespace {

namespace code {
inline constexpr int32_t no_such_file = 9003;
inline constexpr int32_t protected_file = 9001;
inline constexpr int32_t disk_trouble = 9002;
inline constexpr int32_t invalid_directory = -11267;
inline constexpr int32_t no_current_directory = -11268;
inline constexpr int32_t unknown_option = -11269;
inline constexpr int32_t bad_clock_text = 1;
} // namespace code

std::string file_name_operand(size_t buffer = file_name_buffer) {
    return engine_file_name(str_view(load_u32(str_operand())), buffer);
}

std::string_view text_of(Addr cell) {
    return str_view(load_u32(cell));
}

// A count that may pass 2^31 - 1 (a file size): integer form when it fits, else a double.
void set_count(Addr cell, int64_t n) {
    if (n >= INT32_MIN && n <= INT32_MAX)
        num_set_int(cell, int32_t(n));
    else
        num_set_double(cell, double(n));
}

void open_file() {
    int32_t kind = int_operand();
    Addr name = str_operand();
    int32_t access = int_operand();
    int32_t creation = int_operand();
    num_operand(); // not used
    Addr size = num_operand(), handle = num_operand(), status = num_operand();
    FileOpenResult r{0, -1, file_status::no_printer};
    if (kind != 1) r = file_open(engine_file_name(text_of(name)), access, creation);
    set_count(size, r.size);
    num_set_int(handle, r.handle);
    num_set_int(status, r.status);
}

void close_file() {
    file_close(int_operand());
}

// The program's string is read into in place; one that is shared or shorter than n is made
// private and n bytes long first (zero-filled), so the read never writes past its record or
// into another variable's text. A fixed-length string shorter than n gets status 2.
void read_file() {
    int32_t handle = int_operand();
    int32_t position = int_operand();
    Addr cell = str_operand();
    int32_t n = int_operand();
    Addr status = num_operand();
    if (n < 0 || n > StringCell{cell}.max_length())
        return num_set_int(status, file_status::trouble);
    Addr rec = str_reserve(cell, n);
    int32_t length = str_length(rec);
    if (length < n) {
        std::memset(host_ptr(str_text(rec) + Addr(length)), 0, size_t(n - length));
        str_set_length(rec, n);
    }
    std::span<std::byte> buffer(host_ptr(str_text(rec)), size_t(n));
    if (is_stream(handle)) {
        // A standard stream gives what it has: the string is as long as what was read.
        size_t got = 0;
        num_set_int(status, stream_read(handle, buffer, got));
        str_set_length(rec, int32_t(got));
        return;
    }
    num_set_int(status, file_read_at(handle, position, buffer));
}

void write_file() {
    int32_t handle = int_operand();
    int32_t position = int_operand();
    Addr rec = load_u32(str_operand());
    Addr written = num_operand(), status = num_operand();
    std::span<const std::byte> bytes = std::as_bytes(std::span(str_view(rec)));
    FileWriteResult r = file_write_at(handle, position, bytes);
    num_set_int(written, r.written);
    num_set_int(status, r.status);
}

void set_file_length() {
    int32_t handle = int_operand();
    int32_t length = int_operand();
    set_int_operand(file_set_length(handle, length));
}

void delete_named_file() {
    std::string name = file_name_operand();
    set_int_operand(delete_file(name));
}

void rename_named_file() {
    std::string from = file_name_operand();
    std::string to = file_name_operand();
    set_int_operand(rename_file(from, to));
}

void directory() {
    int32_t n = int_operand();
    Addr cell = str_operand();
    if (n == -1) {
        std::optional<std::string> cwd = current_directory();
        if (!cwd) raise_error(code::no_such_file);
        return str_set(cell, *cwd);
    }
    if (change_directory(engine_file_name(text_of(cell), directory_buffer)) != 0)
        raise_error(code::no_such_file);
}

void lock_range() {
    int32_t handle = int_operand();
    uint32_t position = uint32_t(int_operand());
    uint32_t length = uint32_t(int_operand());
    int32_t unlock = int_operand();
    set_int_operand(file_lock(handle, position, length, unlock != 0));
}

// The error of a failed directory creation, removal or file deletion.
[[noreturn]] void raise_for_errno(int error, int not_found_errno, int protected_errno) {
    if (error == not_found_errno) raise_error(code::no_such_file);
    if (error == protected_errno) raise_error(code::protected_file);
    raise_error(code::disk_trouble);
}

// The decimal number at the front of text, as the C library's atoi reads it.
int decimal(std::string_view text) {
    return std::atoi(std::string(text).c_str());
}

// Sets the date (YYYYMMDD) or the time (HH:MM:SS) through the clock seam; a refusal is logged.
void set_clock(std::string_view text, bool date) {
    if (text.size() != 8) raise_error(code::bad_clock_text);
    LocalTime t = local_time_now();
    if (date) {
        t.year = decimal(text.substr(0, 4));
        t.month = decimal(text.substr(4, 2));
        t.day = decimal(text.substr(6, 2));
    } else {
        t.hour = decimal(text.substr(0, 2));
        t.minute = decimal(text.substr(3, 2));
        t.second = decimal(text.substr(6, 2));
    }
    if (int error = set_local_clock(t))
        debug_log(date ? "set date failed: %d" : "set time failed: %d", error);
}

void fill_text(Addr cell, std::string_view count_text, std::string_view fill) {
    int n = decimal(count_text);
    if (n < 0) n = 0;
    Addr rec = str_prepare(cell, n);
    std::memset(host_ptr(str_text(rec)), fill.empty() ? 0 : fill.front(), size_t(n));
    str_set_length(rec, n);
}

void file_system() {
    int32_t k = int_operand();
    Addr c1 = str_operand(), c2 = str_operand(), c3 = str_operand();
    auto name1 = [c1] { return engine_file_name(text_of(c1)); };
    switch (k) {
    case 0: {
        std::optional<std::string> cwd = current_directory();
        if (!cwd) raise_error(code::no_current_directory);
        return str_set(c1, *cwd);
    }
    case 1:
        if (!text_of(c1).empty() && change_directory(name1()) != 0)
            raise_error(code::invalid_directory);
        return;
    case 2:
    case 4: {
        DirectoryListing listing = list_directory(name1(), k == 2);
        str_set(c2, listing.names);
        return str_set(c3, listing.details);
    }
    case 3:
        if (int error = make_directory(name1())) raise_for_errno(error, EACCES, ENOTEMPTY);
        return;
    case 5:
        if (int32_t status = rename_file(name1(), engine_file_name(text_of(c2))))
            raise_error(status);
        return;
    case 6:
        if (int error = remove_directory(name1())) raise_for_errno(error, ENOENT, ENOTEMPTY);
        return;
    case 7:
        if (int error = unlink_file(name1())) raise_for_errno(error, ENOENT, EACCES);
        return;
    case 8: {
        std::optional<DiskSpace> space = current_disk_space();
        if (!space) raise_error(code::no_such_file);
        str_pack_double(c1, num_double(space->used));
        return str_pack_double(c2, num_double(space->free));
    }
    case 9:
    case 10: return set_clock(text_of(c1), k == 9);
    case 11: return fill_text(c2, text_of(c1), text_of(c3));
    default: raise_error(code::unknown_option);
    }
}

} // namespace

void install_file_bifs(BifTable& t) {
    t.install(bif::file_open, open_file);
    t.install(bif::file_close, close_file);
    t.install(bif::file_read, read_file);
    t.install(bif::file_write, write_file);
    t.install(bif::file_set_length, set_file_length);
    t.install(bif::file_delete, delete_named_file);
    t.install(bif::file_rename, rename_named_file);
    t.install(bif::current_directory, directory);
    t.install(bif::file_lock, lock_range);
    t.install(bif::file_system, file_system);
}

} // namespace quillet
