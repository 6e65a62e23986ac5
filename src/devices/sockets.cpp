#include "devices/sockets.h"

#include "devices/devices_state.h"
#include "values/debug_log.h"
#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace quillet {
namespace {

// The address family numbers of the original host that differ from ours.
constexpr int original_af_inet6 = 23;

constexpr SocketTable& socket_table = devices_state.sockets;

[[noreturn]] void fail(int error) {
    debug_log("socket error: %d", error);
    raise_error(socket_code::socket_error);
}

int host_family(int family) {
    return family == original_af_inet6 ? AF_INET6 : family;
}

// The descriptor of a socket of the program; any other number fails as the host's "not a socket".
int owned(int32_t socket) {
    if (!socket_table.open.contains(socket)) fail(ENOTSOCK);
    return socket;
}

bool is_blocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && !(flags & O_NONBLOCK);
}

bool would_block(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

struct HostAddress {
    sockaddr_storage storage = {};
    socklen_t length = 0;
    sockaddr* get() { return reinterpret_cast<sockaddr*>(&storage); }
};

HostAddress host_address(std::string_view piece) {
    if (piece.size() < 2) fail(EINVAL);
    HostAddress a;
    a.length = socklen_t(std::min(piece.size(), sizeof a.storage));
    std::memcpy(&a.storage, piece.data(), a.length);
    int family = (uint8_t(piece[0]) << 8) | uint8_t(piece[1]);
    a.storage.ss_family = sa_family_t(host_family(family));
    return a;
}

// Runs a non-blocking attempt until it no longer would block, pumping host messages and
// sleeping on the socket in between (a blocking socket), or just once (a non-blocking one).
template <typename Attempt>
auto retry_pumping(int fd, short events, Attempt attempt) {
    bool blocking = is_blocking(fd);
    for (;;) {
        auto r = attempt(blocking ? MSG_DONTWAIT : 0);
        if (r >= 0 || !blocking || !would_block(errno)) return r;
        xvt_pump_then_wait(fd, events);
    }
}

// Keeps a blocking socket blocking for the program while one call uses it without blocking.
struct NonBlockingScope {
    int fd;
    int flags;
    explicit NonBlockingScope(int f) : fd(f), flags(fcntl(f, F_GETFL)) {
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    }
    ~NonBlockingScope() { fcntl(fd, F_SETFL, flags); }
    NonBlockingScope(const NonBlockingScope&) = delete;
    NonBlockingScope& operator=(const NonBlockingScope&) = delete;
};

// A stream socket may bind an address whose earlier connections are still in TIME_WAIT, as on the
// original host, so a server program can be run again at once on its port. Two listeners on one
// address are still refused. Datagram sockets are left alone: there the option would let two
// sockets share a port.
void allow_address_reuse(int fd, const HostAddress& address) {
    int type = 0;
    socklen_t length = sizeof type;
    const sa_family_t family = address.storage.ss_family;
    if ((family != AF_INET && family != AF_INET6) ||
        getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

} // namespace

int32_t socket_create(int32_t family, int32_t type, int32_t protocol) {
    int fd = socket(host_family(family), type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        debug_log("socket error: %d", errno);
        raise_error(socket_code::invalid_socket);
    }
    socket_table.open.insert(fd);
    return fd;
}

void socket_bind(int32_t socket, std::string_view address) {
    int fd = owned(socket);
    HostAddress a = host_address(address);
    allow_address_reuse(fd, a);
    if (bind(fd, a.get(), a.length) != 0) fail(errno);
}

void socket_listen(int32_t socket, int32_t backlog) {
    if (listen(owned(socket), backlog) != 0) fail(errno);
}

int32_t socket_accept(int32_t socket, std::string_view address) {
    int fd = owned(socket);
    HostAddress peer = host_address(address);
    int non_blocking = is_blocking(fd) ? 0 : SOCK_NONBLOCK; // as the listener, like the host
    int accepted = retry_pumping(fd, POLLIN, [&](int) {
        socklen_t length = peer.length;
        return accept4(fd, peer.get(), &length, SOCK_CLOEXEC | non_blocking);
    });
    if (accepted < 0) fail(errno);
    socket_table.open.insert(accepted);
    return accepted;
}

void socket_connect(int32_t socket, std::string_view address) {
    int fd = owned(socket);
    HostAddress a = host_address(address);
    if (!is_blocking(fd)) {
        if (connect(fd, a.get(), a.length) != 0) fail(errno);
        return;
    }
    NonBlockingScope scope(fd);
    if (connect(fd, a.get(), a.length) == 0) return;
    if (errno != EINPROGRESS && errno != EINTR) fail(errno);
    for (;;) {
        pollfd p = {fd, POLLOUT, 0};
        if (poll(&p, 1, 0) > 0) break;
        xvt_pump_then_wait(fd, POLLOUT);
    }
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error) fail(error);
}

void socket_receive(int32_t socket, size_t size, ReadTarget& into) {
    int fd = owned(socket);
    process_host_messages();
    size = std::min(size, size_t(socket_receive_limit));
    ssize_t n = retry_pumping(fd, POLLIN, [&](int flags) {
        std::span<std::byte> room = into.room(size);
        return recv(fd, room.data(), room.size(), flags);
    });
    if (n < 0) fail(errno);
    into.arrived(size_t(n));
}

void socket_send(int32_t socket, std::span<const std::byte> bytes) {
    int fd = owned(socket);
    size_t done = 0;
    do {
        ssize_t n = retry_pumping(fd, POLLOUT, [&](int flags) {
            return send(fd, bytes.data() + done, bytes.size() - done, flags | MSG_NOSIGNAL);
        });
        if (n < 0) fail(errno);
        done += size_t(n);
    } while (done < bytes.size() && is_blocking(fd));
    process_host_messages();
}

void socket_close(int32_t socket) {
    process_host_messages();
    if (!socket_table.open.erase(socket)) {
        debug_log("socket error: %d", ENOTSOCK);
        return;
    }
    close(socket);
}

std::array<std::byte, 4> socket_resolve(std::string_view host_name) {
    std::string name(host_name.substr(0, host_name.find('\0')));
    ++socket_table.lookups;
    struct LookupCount {
        ~LookupCount() { --socket_table.lookups; }
    } counted;
    // The look-up runs on its own thread so that the windows live while it waits.
    std::future<std::pair<int, std::array<std::byte, 4>>> lookup =
        std::async(std::launch::async, [name] {
            addrinfo hints = {};
            hints.ai_family = AF_INET;
            addrinfo* result = nullptr;
            std::array<std::byte, 4> address = {};
            int error = getaddrinfo(name.c_str(), nullptr, &hints, &result);
            if (error == 0) {
                const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
                std::memcpy(address.data(), &in->sin_addr, 4);
                freeaddrinfo(result);
            }
            return std::pair{error, address};
        });
    while (lookup.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        process_host_messages();
        lookup.wait_for(std::chrono::milliseconds(10));
    }
    auto [error, address] = lookup.get();
    if (error != 0) fail(error);
    return address;
}

void socket_control(int32_t socket, int32_t request, int32_t value) {
    if (request != 0) raise_error(socket_code::socket_error);
    if (!socket_table.open.contains(socket)) return;
    int flags = fcntl(socket, F_GETFL);
    if (flags >= 0) fcntl(socket, F_SETFL, value ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}

int32_t socket_use_count() {
    return int32_t(socket_table.open.size()) + socket_table.lookups;
}

SocketTable& SocketTable::operator=(SocketTable&& other) noexcept {
    if (this != &other) {
        for (int fd : open)
            close(fd);
        open = std::exchange(other.open, {});
        lookups = std::exchange(other.lookups, 0);
    }
    return *this;
}

SocketTable::~SocketTable() {
    for (int fd : open)
        close(fd);
}

} // namespace quillet
