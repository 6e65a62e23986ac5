// The port table of the serial ports and the termios work behind bif 496.
#include "devices/serial_ports.h"

#include "devices/devices_state.h"
#include "devices/serial_options.h"
#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace quillet {
namespace {

constexpr SerialPorts& serial = devices_state.serial;

std::optional<speed_t> speed_of(int32_t baud) {
    static constexpr std::pair<int32_t, speed_t> rates[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (auto [rate, speed] : rates)
        if (rate == baud) return speed;
    return std::nullopt;
}

std::vector<SerialOption> options_or_raise(std::string_view text) {
    std::optional<std::vector<SerialOption>> options = parse_serial_options(text);
    if (!options) raise_error(serial_error::unknown_option);
    return std::move(*options);
}

// Line settings, then the modem lines. A device that refuses a setting (a pseudo-terminal keeps
// its 8 data bits and no parity) keeps its own; as on the original host this is not an error.
void apply_options(int fd, termios settings, const std::vector<SerialOption>& options) {
    for (SerialOption option : options)
        apply_line_setting(option, settings);
    tcsetattr(fd, TCSANOW, &settings);
    for (SerialOption option : options)
        if (int line = modem_line_of(option))
            ioctl(fd, raises_modem_line(option) ? TIOCMBIS : TIOCMBIC, &line);
}

SerialPort& current_port() {
    if (serial.current < 0 || !serial.ports[size_t(serial.current)].is_open())
        raise_error(serial_error::port_not_open);
    return serial.ports[size_t(serial.current)];
}

void receive(SerialPort& port) {
    while (port.held < serial_buffer_size) {
        ssize_t n = ::read(port.device.get(), port.received->data() + port.held,
                           size_t(serial_buffer_size - port.held));
        if (n > 0)
            port.held += int32_t(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return; // nothing more now (EAGAIN), or a line that is gone (EIO): the bytes wait
    }
}

// Hands queued output to the device; false when the device failed.
bool send_unsent(SerialPort& port) {
    size_t done = 0;
    bool sound = true;
    while (done < port.unsent.size()) {
        ssize_t n =
            ::write(port.device.get(), port.unsent.data() + done, port.unsent.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            sound = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
            break;
        }
    }
    port.unsent.erase(0, done);
    return sound;
}

void poll_port(SerialPort& port) {
    receive(port);
    if (!port.unsent.empty()) send_unsent(port);
}

bool same_name(std::string_view a, std::string_view upper) {
    return a.size() == upper.size() &&
           std::equal(a.begin(), a.end(), upper.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == y;
           });
}

int32_t modem_line_on(const SerialPort& port, int bit) {
    int lines = 0;
    if (ioctl(port.device.get(), TIOCMGET, &lines) != 0) return 0;
    return (lines & bit) ? 1 : 0;
}

// The highest kind of line error counted since the last query: 1 parity, 2 framing, 3 break,
// 4 hardware overrun, 5 receive buffer overflow.
int32_t line_errors_since_last_query(SerialPort& port) {
    serial_icounter_struct now{};
    if (ioctl(port.device.get(), TIOCGICOUNT, &now) != 0) return 0;
    const serial_icounter_struct& was = port.line_errors;
    int32_t kind = 0;
    if (now.parity != was.parity) kind = 1;
    if (now.frame != was.frame) kind = 2;
    if (now.brk != was.brk) kind = 3;
    if (now.overrun != was.overrun) kind = 4;
    if (now.buf_overrun != was.buf_overrun) kind = 5;
    port.line_errors = now;
    return kind;
}

int32_t buffer_status(SerialPort& port, int32_t query) {
    switch (query) {
    case 0: {
        int queued = 0;
        if (ioctl(port.device.get(), TIOCOUTQ, &queued) != 0) queued = 0;
        return int32_t(port.unsent.size()) + queued;
    }
    case 1: return 2147483647;
    case 2: return port.held;
    case 3: return serial_buffer_size - port.held;
    default: return -1;
    }
}

int32_t port_index_or_raise(int32_t port) {
    if (port < 1 || port > serial_port_count) raise_error(serial_error::no_such_port);
    return port - 1;
}

} // namespace

std::string serial_device_path(int32_t port) {
    std::string variable = "QUILLET_COM" + std::to_string(port);
    if (const char* path = std::getenv(variable.c_str()); path && *path) return path;
    return "/dev/ttyS" + std::to_string(port - 1);
}

void serial_open(int32_t port, int32_t baud, std::string_view options) {
    int32_t p = port_index_or_raise(port);
    SerialPort& record = serial.ports[size_t(p)];
    if (record.is_open()) raise_error(serial_error::port_protected);

    std::string path = serial_device_path(port);
    UniqueFd device(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!device.valid()) {
        bool refused = errno == EACCES || errno == EPERM || errno == EBUSY;
        raise_error(refused ? serial_error::port_protected : serial_error::no_such_port);
    }
    termios settings{};
    if (tcgetattr(device.get(), &settings) != 0) raise_error(serial_error::no_such_port);
    // Exclusive, as the host's ports are: other processes that honour locks or TIOCEXCL stay out.
    if (flock(device.get(), LOCK_EX | LOCK_NB) != 0) raise_error(serial_error::port_protected);
    ioctl(device.get(), TIOCEXCL);
    serial.current = p;

    std::vector<SerialOption> parsed = options_or_raise(options);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (baud != 0)
        if (std::optional<speed_t> speed = speed_of(baud)) {
            cfsetispeed(&settings, *speed);
            cfsetospeed(&settings, *speed);
        }
    apply_options(device.get(), settings, parsed);

    record.device = std::move(device);
    record.received = std::make_unique<ReceiveBuffer>();
    record.held = 0;
    record.unsent.clear();
    ioctl(record.device.get(), TIOCGICOUNT, &record.line_errors);
    poll_port(record);
}

void serial_select(int32_t port) {
    int32_t p = port_index_or_raise(port);
    if (!serial.ports[size_t(p)].is_open()) raise_error(serial_error::port_not_open);
    serial.current = p;
}

void serial_set_options(std::string_view options) {
    SerialPort& port = current_port();
    std::vector<SerialOption> parsed = options_or_raise(options);
    termios settings{};
    if (tcgetattr(port.device.get(), &settings) != 0) return;
    apply_options(port.device.get(), settings, parsed);
}

int32_t serial_write(std::string_view data) {
    SerialPort& port = current_port();
    poll_port(port);
    if (data.empty()) return 0;
    port.unsent.append(data);
    if (!send_unsent(port)) {
        port.unsent.clear();
        return 0;
    }
    return int32_t(data.size());
}

std::string serial_read(int32_t most) {
    SerialPort& port = current_port();
    if (most < 0) most = 0;
    if (port.held == 0 || port.held < most) poll_port(port);
    int32_t n = (most != 0 && most < port.held) ? most : port.held;
    std::string taken(port.received->data(), size_t(n));
    std::memmove(port.received->data(), port.received->data() + n, size_t(port.held - n));
    port.held -= n;
    return taken;
}

int32_t serial_status(std::string_view name, int32_t query) {
    SerialPort& port = current_port();
    if (name.empty()) return 0;
    if (same_name(name, "DSR")) return modem_line_on(port, TIOCM_DSR);
    if (same_name(name, "RLSD") || same_name(name, "DCD")) return modem_line_on(port, TIOCM_CD);
    if (same_name(name, "CTS")) return modem_line_on(port, TIOCM_CTS);
    if (same_name(name, "RI")) return modem_line_on(port, TIOCM_RI);
    if (same_name(name, "RXOFF") || same_name(name, "SXOFF")) return 0;
    if (same_name(name, "CR"))
        return std::memchr(port.received->data(), 13, size_t(port.held)) ? 1 : 0;
    if (same_name(name, "ERR")) return line_errors_since_last_query(port);
    if (same_name(name, "BUF")) return buffer_status(port, query);
    raise_error(serial_error::unknown_status);
}

int32_t serial_find(std::string_view text) {
    SerialPort& port = current_port();
    poll_port(port);
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return -1;
    std::string_view held(port.received->data(), size_t(port.held));
    held = held.substr(0, held.find('\0'));
    size_t at = held.find(text);
    return at == std::string_view::npos ? -1 : int32_t(at);
}

void serial_break() {
    SerialPort& port = current_port();
    ioctl(port.device.get(), TIOCSBRK);
    xvt_timed_wait(200);
    ioctl(port.device.get(), TIOCCBRK);
}

void serial_close(int32_t port) {
    if (serial.current < 0 || port < 1 || port > serial_port_count ||
        !serial.ports[size_t(port - 1)].is_open())
        raise_error(serial_error::port_not_open);
    SerialPort& record = serial.ports[size_t(port - 1)];
    send_unsent(record); // what the device takes now still goes out
    record = SerialPort{};
}

void poll_serial_ports() {
    for (SerialPort& port : serial.ports)
        if (port.is_open()) poll_port(port);
}

void poll_serial_ports_after_pump() {
    using namespace std::chrono_literals;
    if (std::none_of(serial.ports.begin(), serial.ports.end(),
                     [](const SerialPort& port) { return port.is_open(); }))
        return;
    auto now = std::chrono::steady_clock::now();
    if (now - serial.last_pump_poll < 1ms) return;
    serial.last_pump_poll = now;
    poll_serial_ports();
}

} // namespace quillet
