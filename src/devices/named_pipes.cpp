#include "devices/named_pipes.h"

#include "devices/pipes.h"
#include "values/debug_log.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace quillet {
namespace {

// The failure of a step, with the errno that the debug log reports.
struct Failure {
    int error;
};

std::string directory_for_pipes() {
    if (const char* dir = std::getenv("QUILLET_PIPE_DIR"); dir && *dir) return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/quillet-pipes";
    return "/tmp/quillet-pipes-" + std::to_string(getuid());
}

// The pipe directory, made private to this user when missing; one that another user owns or
// that others may enter (a planted directory in /tmp) is refused.
std::string private_pipe_directory() {
    std::string dir = directory_for_pipes();
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) throw Failure{errno};
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0) throw Failure{errno};
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0)
        throw Failure{EACCES};
    return dir;
}

// The socket's address for the pipe name; the name is checked first.
sockaddr_un socket_address(const std::string& directory, std::string_view name) {
    if (!is_safe_pipe_name(name)) throw Failure{EINVAL};
    std::string path = directory + "/" + std::string(name) + ".sock";
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) throw Failure{ENAMETOOLONG};
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

UniqueFd stream_socket() {
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid()) throw Failure{errno};
    return fd;
}

// The exclusive lock that makes this end the pipe's only instance.
UniqueFd lock_instance(const std::string& directory, std::string_view name) {
    std::string path = directory + "/" + std::string(name) + ".lock";
    UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) throw Failure{errno};
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) throw Failure{errno};
    return fd;
}

// Removes the socket file when the server's wait ends, however it ends.
struct SocketFile {
    const char* path;
    ~SocketFile() { unlink(path); }
};

UniqueFd accept_one_client(const sockaddr_un& address) {
    UniqueFd listener = stream_socket();
    unlink(address.sun_path); // left behind by a server that died; we hold the lock now
    if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw Failure{errno};
    SocketFile file{address.sun_path};
    if (listen(listener.get(), 1) != 0) throw Failure{errno};
    for (;;) {
        int fd = accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) return UniqueFd(fd);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
            return UniqueFd();
        xvt_pump_then_wait(listener.get(), POLLIN);
    }
}

} // namespace

std::string named_pipe_path(std::string_view name) {
    return "\\\\.\\pipe\\" + std::string(name);
}

std::optional<NamedPipe> named_pipe_open(std::string_view name) {
    NamedPipe pipe;
    pipe.server = true;
    sockaddr_un address;
    try {
        std::string directory = private_pipe_directory();
        address = socket_address(directory, name);
        pipe.instance_lock = lock_instance(directory, name);
    } catch (const Failure& f) {
        debug_log("CreateNamedPipe error: %d %s", f.error, named_pipe_path(name).c_str());
        return std::nullopt;
    }
    try {
        pipe.connection = accept_one_client(address);
    } catch (const Failure& f) {
        debug_log("CreateNamedPipe error: %d %s", f.error, named_pipe_path(name).c_str());
        return std::nullopt;
    }
    if (!pipe.connection.valid()) return std::nullopt;
    return pipe;
}

std::optional<NamedPipe> named_pipe_connect(std::string_view name) {
    NamedPipe pipe;
    try {
        sockaddr_un address = socket_address(private_pipe_directory(), name);
        pipe.connection = stream_socket();
        if (connect(pipe.connection.get(), reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) != 0)
            throw Failure{errno};
    } catch (const Failure& f) {
        debug_log("CreateFile error: %d %s", f.error, named_pipe_path(name).c_str());
        return std::nullopt;
    }
    return pipe;
}

bool named_pipe_read(NamedPipe& pipe, int32_t size, int32_t handle, ReadTarget& into) {
    if (size < 0) {
        debug_log("ReadFile buf too large: %d", size);
        return false;
    }
    if (size == 0) return false;
    size_t wanted = size_t(std::min(size, pipe_read_limit));
    for (;;) {
        std::span<std::byte> room = into.room(wanted);
        ssize_t n = recv(pipe.connection.get(), room.data(), room.size(), MSG_DONTWAIT);
        if (n > 0) {
            into.arrived(size_t(n));
            return true;
        }
        // The peer closed its end: the host's "broken pipe".
        int error = n == 0 ? EPIPE : errno;
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) {
            xvt_pump_then_wait(pipe.connection.get(), POLLIN);
            continue;
        }
        debug_log("ReadFile error: %d %d", error, handle);
        return false;
    }
}

void named_pipe_write(NamedPipe& pipe, std::span<const std::byte> bytes, int32_t handle) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(pipe.connection.get(), bytes.data() + done, bytes.size() - done,
                         MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) {
            done += size_t(n);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            xvt_pump_then_wait(pipe.connection.get(), POLLOUT);
        } else {
            debug_log("WriteFile error: %d %d", errno, handle);
            return;
        }
    }
}

// Waits until the peer has taken every byte written (or is gone), as flushing a named pipe does.
// Nothing signals an empty send queue, so the wait looks again after a sleep that starts short
// (a reading peer drains the queue within a fraction of a millisecond) and grows to the usual
// interval (a peer that does not read costs no CPU).
void named_pipe_flush(NamedPipe& pipe) {
    std::chrono::microseconds sleep{100};
    for (;;) {
        int unread = 0;
        if (ioctl(pipe.connection.get(), SIOCOUTQ, &unread) != 0 || unread <= 0) return;
        pollfd p = {pipe.connection.get(), 0, 0};
        if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR))) return;
        xvt_pump_then_wait(-1, 0, sleep);
        sleep = std::min(sleep * 2, xvt_descriptor_pump_interval);
    }
}

bool named_pipe_close(NamedPipe& pipe, int32_t handle) {
    if (pipe.server && shutdown(pipe.connection.get(), SHUT_RDWR) != 0 && errno != ENOTCONN) {
        debug_log("Disconnect error: %d %d", errno, handle);
        return false;
    }
    if (int error = pipe.connection.close_now()) {
        debug_log("CloseHandle error: %d %d", error, handle);
        return false;
    }
    return true;
}

} // namespace quillet
