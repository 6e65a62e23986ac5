#include "devices/sockets.h"
#include "values/errors.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr int32_t af_inet = 2;

// 127.0.0.1:port as a program writes it: the host's sockaddr_in with the family big-endian.
std::string loopback_address(uint16_t port) {
    std::string a(16, '\0');
    a[1] = af_inet;
    a[2] = static_cast<char>(port >> 8);
    a[3] = static_cast<char>(port & 0xFF);
    a[4] = 127;
    a[7] = 1;
    return a;
}

uint16_t bound_port(int fd) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

int connect_to(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    return fd;
}

int32_t listen_on(uint16_t port) {
    int32_t listener = socket_create(af_inet, SOCK_STREAM, 0);
    socket_bind(listener, loopback_address(port));
    socket_listen(listener, 1);
    return listener;
}

// A server that closed its side first leaves its port in TIME_WAIT; the program run again binds
// the same port at once. A second listener on a port in use is still refused.
TEST(Sockets, ServerPortIsBoundAgainAfterItsConnectionClosedButNotTwice) {
    int32_t listener = listen_on(0);
    const uint16_t port = bound_port(listener);
    int client = connect_to(port);
    int32_t served = socket_accept(listener, loopback_address(0));
    socket_close(served); // the server's close comes first: TIME_WAIT is on the server's port
    char byte;
    EXPECT_EQ(read(client, &byte, 1), 0);
    close(client);
    socket_close(listener);

    int32_t again = -1;
    ASSERT_NO_THROW(again = listen_on(port));
    EXPECT_EQ(bound_port(again), port);
    int32_t second = socket_create(af_inet, SOCK_STREAM, 0);
    try {
        socket_bind(second, loopback_address(port));
        ADD_FAILURE() << "a second listener bound a port in use";
    } catch (const BasicError& e) {
        EXPECT_EQ(e.code, socket_code::socket_error);
    }
    socket_close(second);
    socket_close(again);
}

} // namespace
} // namespace quillet
