// Serial ports COM1 to COM8 over termios, with background reception.
//
// Port n is the device named by QUILLET_COMn, /dev/ttyS(n-1) when unset. An open port is
// non-blocking: received bytes are gathered into the port's 20480-byte buffer by
// poll_serial_ports, which the op loop runs after its pumps and which write, read and find run
// first, so a program never blocks on a port. Bytes written are queued and handed to the device as
// it takes them. Ports are addressed through a current-port selection, as bif 496 does.
// Errors leave through raise_error with the numbers of serial_error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

inline constexpr int32_t serial_port_count = 8;
inline constexpr int32_t serial_buffer_size = 20480;

namespace serial_error {
inline constexpr int32_t no_such_port = 9003;   // outside 1..8, or the device cannot be opened
inline constexpr int32_t port_protected = 9001; // already open, or the host refuses access
inline constexpr int32_t port_not_open = 7004;  // no current port, or it is closed
inline constexpr int32_t unknown_option = -960; // a bad option token
inline constexpr int32_t unknown_status = -961; // a bad status name
} // namespace serial_error

// The host device of port 1..8.
std::string serial_device_path(int32_t port);

// Opens port 1..8 and makes it current: raw 8-bit lines, the baud rate when not 0 (rates termios
// does not name leave the device's rate), then the options. Nothing stays open when an option is
// bad.
void serial_open(int32_t port, int32_t baud, std::string_view options);

// Makes an open port current.
void serial_select(int32_t port);

// Applies options to the current port: line settings, and DTR or RTS raised or lowered now.
void serial_set_options(std::string_view options);

// Queues all of data for sending on the current port; the count queued, 0 when the device fails.
int32_t serial_write(std::string_view data);

// Takes up to most bytes (all when most is 0 or less) from the front of the receive buffer.
std::string serial_read(int32_t most);

// A status value of the current port: modem lines (DSR, RLSD or DCD, CTS, RI), CR, ERR, BUF with
// its query; RXOFF and SXOFF are 0 (Linux does not tell); "" gives 0.
int32_t serial_status(std::string_view name, int32_t query);

// Offset of text among the held bytes (both read as C text, up to a zero byte), or -1.
int32_t serial_find(std::string_view text);

// Holds the current port's line in the break state for 200 ms.
void serial_break();

// Closes port 1..8 (7004 when there is no current port or that port is not open); the current
// port index stays.
void serial_close(int32_t port);

// Gathers what every open port received and hands queued output on.
void poll_serial_ports();

// The op loop's poll after a pump: poll_serial_ports at most once a millisecond, so that an open
// port does not slow a program that computes (a system call per pump would double the time of a
// tight loop); write, read and find still poll at once.
void poll_serial_ports_after_pump();

} // namespace quillet
