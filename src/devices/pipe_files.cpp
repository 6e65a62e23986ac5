#include "devices/pipe_files.h"

#include "devices/path_mapping.h"
#include "devices/pipes.h"
#include "values/debug_log.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>

namespace quillet {
namespace {

constexpr std::string_view handshake = "connected";

std::string temporary_directory() {
    if (const char* tmp = std::getenv("TMP")) return tmp;
    if (const char* temp = std::getenv("TEMP")) return temp;
    return {};
}

// A watch that wakes a wait when the file grows; without one, waits sleep a short interval.
UniqueFd watch_for_growth(const std::string& path) {
    UniqueFd fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (fd.valid() && inotify_add_watch(fd.get(), path.c_str(), IN_MODIFY) < 0) return UniqueFd();
    return fd;
}

void wait_for_growth(PipeFiles& pipe) {
    xvt_pump_then_wait(pipe.change_watch.get(), POLLIN);
    char events[4096];
    if (pipe.change_watch.valid())
        while (read(pipe.change_watch.get(), events, sizeof events) > 0) {
        }
}

bool write_all(int fd, std::span<const std::byte> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

void announce(PipeFiles& pipe) {
    write_all(pipe.write_file.get(), std::as_bytes(std::span(handshake)));
    fsync(pipe.write_file.get());
}

// Reads the peer's "connected", exactly its length, so that data the peer writes right after
// it stays for the first read of the program.
bool await_peer(PipeFiles& pipe) {
    char buffer[handshake.size()];
    size_t got = 0;
    while (got < sizeof buffer) {
        ssize_t n = read(pipe.read_file.get(), buffer + got, sizeof buffer - got);
        if (n > 0) {
            got += size_t(n);
        } else if (n == 0 || errno == EINTR) {
            wait_for_growth(pipe);
        } else {
            debug_log("error connecting: %d", errno);
            return false;
        }
    }
    return true;
}

// Opens both files of one end (creating and emptying them first for the server).
std::optional<PipeFiles> open_files(std::string_view name, bool server) {
    PipeFilePaths paths = pipe_file_paths(name);
    const std::string& read_path = server ? paths.server_reads : paths.server_writes;
    const std::string& write_path = server ? paths.server_writes : paths.server_reads;
    bool safe = is_safe_pipe_name(name);
    if (server && safe) {
        for (const std::string& path : {read_path, write_path})
            UniqueFd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    }
    PipeFiles pipe;
    pipe.read_file = UniqueFd(safe ? open(read_path.c_str(), O_RDONLY | O_CLOEXEC) : -1);
    if (!pipe.read_file.valid()) {
        debug_log("error creating read file: %s %d %d", read_path.c_str(), -1,
                  safe ? errno : EINVAL);
        return std::nullopt;
    }
    pipe.write_file = UniqueFd(open(write_path.c_str(), O_RDWR | O_CLOEXEC));
    if (!pipe.write_file.valid()) {
        debug_log("error creating write file: %s %d %d", write_path.c_str(), -1, errno);
        return std::nullopt;
    }
    pipe.change_watch = watch_for_growth(read_path);
    return pipe;
}

} // namespace

PipeFilePaths pipe_file_paths(std::string_view name) {
    std::string base = temporary_directory() + "\\" + std::string(name);
    return {host_path(base + ".R"), host_path(base + ".W")};
}

std::optional<PipeFiles> pipe_files_open(std::string_view name) {
    std::optional<PipeFiles> pipe = open_files(name, true);
    if (!pipe) return std::nullopt;
    announce(*pipe);
    if (!await_peer(*pipe)) return std::nullopt;
    return pipe;
}

std::optional<PipeFiles> pipe_files_connect(std::string_view name) {
    std::optional<PipeFiles> pipe = open_files(name, false);
    if (!pipe || !await_peer(*pipe)) return std::nullopt;
    announce(*pipe);
    return pipe;
}

std::string pipe_files_read(PipeFiles& pipe, int32_t size) {
    // A read of no bytes would wait for ever: it returns at once.
    if (size <= 0) return {};
    std::string data(size_t(std::min(size, pipe_read_limit)), '\0');
    for (;;) {
        ssize_t n = read(pipe.read_file.get(), data.data(), data.size());
        if (n > 0) {
            data.resize(size_t(n));
            return data;
        }
        if (n < 0 && errno != EINTR) {
            debug_log("error reading pipe: %d", errno);
            return {};
        }
        wait_for_growth(pipe);
    }
}

void pipe_files_write(PipeFiles& pipe, std::span<const std::byte> bytes) {
    if (!write_all(pipe.write_file.get(), bytes)) debug_log("error writing: %d", errno);
}

void pipe_files_flush(PipeFiles& pipe) {
    fsync(pipe.write_file.get());
}

} // namespace quillet
