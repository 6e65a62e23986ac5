#include "devices/program_files.h"

#include "devices/devices_state.h"
#include "devices/file_status.h"
#include "devices/path_mapping.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quillet {
namespace {

constexpr ProgramFiles& program_files = devices_state.files;

bool is_program_file(int32_t handle) {
    return program_files.open.contains(handle);
}

bool overlaps(const LockedRange& a, uint64_t position, uint64_t length) {
    return uint64_t(a.position) < position + length && position < uint64_t(a.position) + a.length;
}

int32_t set_lock(int fd, short type, uint32_t position, uint32_t length) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(position);
    lock.l_len = off_t(length);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

int32_t lock_range(int32_t handle, std::vector<LockedRange>& held, uint32_t position,
                   uint32_t length) {
    if (std::any_of(held.begin(), held.end(),
                    [&](const LockedRange& r) { return overlaps(r, position, length); }))
        return file_status::range_locked;
    // A lock of no bytes holds nothing on the host (and length 0 would mean "to the end").
    if (length > 0) {
        switch (set_lock(handle, F_WRLCK, position, length)) {
        case 0: break;
        case EAGAIN:
        case EACCES: return file_status::range_locked;
        case EBADF: return file_status::protected_file; // not open for writing
        default: return file_status::lock_failed;
        }
    }
    held.push_back({position, length});
    return file_status::ok;
}

int32_t unlock_range(int32_t handle, std::vector<LockedRange>& held, uint32_t position,
                     uint32_t length) {
    auto it = std::find_if(held.begin(), held.end(), [&](const LockedRange& r) {
        return r.position == position && r.length == length;
    });
    if (it == held.end()) return file_status::unlock_failed;
    if (length > 0 && set_lock(handle, F_UNLCK, position, length) != 0)
        return file_status::unlock_failed;
    held.erase(it);
    return file_status::ok;
}

} // namespace

ProgramFiles& ProgramFiles::operator=(ProgramFiles&& other) noexcept {
    if (this != &other) {
        for (const auto& entry : open)
            close(entry.first);
        open = std::exchange(other.open, {});
        streams = std::exchange(other.streams, {});
    }
    return *this;
}

ProgramFiles::~ProgramFiles() {
    for (const auto& entry : open)
        close(entry.first);
}

void reset_program_files() {
    program_files = ProgramFiles{};
}

FileOpenResult file_open(const std::string& engine_name, int32_t access, int32_t creation) {
    // Engine names are upper case.
    static const char* const stream_names[] = {"<STDIN>", "<STDOUT>", "<STDERR>"};
    for (int k = 0; k < 3; ++k)
        if (engine_name == stream_names[k]) {
            // A descriptor of its own, so that closing it leaves the process's stream open.
            int fd = fcntl(k, F_DUPFD_CLOEXEC, 3);
            if (fd < 0) return {0, -1, status_of_errno(errno)};
            program_files.open[fd] = {};
            program_files.streams.insert(fd);
            return {isatty(k) ? 1 : 0, fd, file_status::ok};
        }
    std::string name = engine_name;
    mode_t mode = 0600;
    if (!name.empty() && name.back() == '*') {
        name.pop_back();
        mode |= 0111;
    }
    int flags = (access == 1 ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    if (creation == 0) flags |= O_CREAT;
    if (creation == 1) flags |= O_CREAT | O_EXCL;
    std::string path = host_path(name);
    int fd = open(path.empty() ? "" : path.c_str(), flags, mode);
    if (fd < 0) return {0, -1, status_of_errno(errno)};
    struct stat st;
    int error = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    off_t size = error ? -1 : lseek(fd, 0, SEEK_END);
    if (!error && (size < 0 || lseek(fd, 0, SEEK_SET) < 0)) error = errno;
    if (error) {
        close(fd);
        return {0, -1, status_of_errno(error)};
    }
    program_files.open[fd] = {};
    return {int64_t(size), fd, file_status::ok};
}

void file_close(int32_t handle) {
    auto it = program_files.open.find(handle);
    if (it == program_files.open.end()) return;
    close(handle);
    program_files.open.erase(it);
    program_files.streams.erase(handle);
}

bool is_stream(int32_t handle) {
    return program_files.streams.count(handle) > 0;
}

int32_t stream_read(int32_t handle, std::span<std::byte> buffer, size_t& got) {
    got = 0;
    if (!is_stream(handle)) return status_of_errno(EBADF);
    for (;;) {
        ssize_t n = read(handle, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return status_of_errno(errno);
        got = size_t(n);
        return file_status::ok;
    }
}

int32_t file_read_at(int32_t handle, int64_t position, std::span<std::byte> buffer) {
    if (!is_program_file(handle)) return status_of_errno(EBADF);
    if (position < 0) return status_of_errno(EINVAL);
    size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = pread(handle, buffer.data() + done, buffer.size() - done,
                          off_t(position + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return status_of_errno(errno);
        if (n == 0) return file_status::disk_full; // a short read
        done += size_t(n);
    }
    return file_status::ok;
}

FileWriteResult file_write_at(int32_t handle, int64_t position, std::span<const std::byte> bytes) {
    if (!is_program_file(handle)) return {0, status_of_errno(EBADF)};
    if (position < 0) return {0, status_of_errno(EINVAL)};
    const bool stream = is_stream(handle);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = stream ? write(handle, bytes.data() + done, bytes.size() - done)
                           : pwrite(handle, bytes.data() + done, bytes.size() - done,
                                    off_t(position + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {0, status_of_errno(errno)};
        if (n == 0) return {0, file_status::disk_full};
        done += size_t(n);
    }
    return {int32_t(done), file_status::ok};
}

int32_t file_set_length(int32_t handle, int64_t length) {
    if (!is_program_file(handle)) return status_of_errno(EBADF);
    return ftruncate(handle, off_t(length)) == 0 ? file_status::ok : status_of_errno(errno);
}

int32_t file_lock(int32_t handle, uint32_t position, uint32_t length, bool unlock) {
    auto it = program_files.open.find(handle);
    if (it == program_files.open.end()) return file_status::not_found;
    return unlock ? unlock_range(handle, it->second, position, length)
                  : lock_range(handle, it->second, position, length);
}

} // namespace quillet
