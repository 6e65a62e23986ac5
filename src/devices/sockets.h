// Sockets for the program (bif 506) over the C library's Berkeley sockets.
//
// Socket numbers are host descriptors, but the engine keeps the set of those it created for the
// program: any other number reaches no host call (the host's "not a socket", so the operation
// fails with -14101), and closing it closes nothing, so a program can never close a file, the
// display connection or the debug log through this bif. The use count is the number of open
// sockets (plus one during a name look-up); it never goes below zero.
//
// Socket addresses arrive as the program built them for its original host: the host's structure
// with the 2-byte family written big-endian. The engine turns the family into the host's order
// (and the original host's AF_INET6, 23, into ours) on a copy. Blocking calls keep pumping host
// messages while they wait; the program still sees one call and its result.
#pragma once

#include "devices/read_target.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

namespace socket_code {
inline constexpr int32_t not_enough_values = -11273;
inline constexpr int32_t invalid_socket = -14100;
inline constexpr int32_t socket_error = -14101;
} // namespace socket_code

// Op 0: a new socket (the program's number for it); -14100 on a failure.
int32_t socket_create(int32_t family, int32_t type, int32_t protocol);

// Ops 1 to 4. address is the socket address as the program wrote it (already cut at the list
// delimiter); shorter than the 2 bytes of its family it raises -14101.
void socket_bind(int32_t socket, std::string_view address);
void socket_listen(int32_t socket, int32_t backlog);
int32_t socket_accept(int32_t socket, std::string_view address);
void socket_connect(int32_t socket, std::string_view address);

// The most bytes one receive takes from the host; a longer buffer receives what has arrived (a
// stream receive returns what is there anyway), so no length makes the engine allocate a huge one.
inline constexpr int32_t socket_receive_limit = 1 << 20;

// Op 5: receives up to size bytes (at most socket_receive_limit) into into; 0 when the peer has
// closed the connection.
void socket_receive(int32_t socket, size_t size, ReadTarget& into);

// Op 6: sends all of bytes (a non-blocking socket: what the host takes in one call).
void socket_send(int32_t socket, std::span<const std::byte> bytes);

// Op 7: closes a socket of the program; any other number is only logged.
void socket_close(int32_t socket);

// Op 8: the first IPv4 address of the host, 4 bytes in network order; -14101 when unknown.
std::array<std::byte, 4> socket_resolve(std::string_view host_name);

// Op 9: request 0 makes the socket non-blocking (value not 0) or blocking; any other request
// raises -14101. The host's result is not checked.
void socket_control(int32_t socket, int32_t request, int32_t value);

int32_t socket_use_count();

} // namespace quillet
