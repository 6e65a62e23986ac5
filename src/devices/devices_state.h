// The devices layer's state: everything a program can leave in the layer, in one struct that
// reset_devices_state (devices_reset.h) replaces with a fresh value. Each part owns what it holds
// (descriptors, the tune and its output, database connections): a holder given a fresh value
// lets go of them, so the replacement closes the program's files, pipes, sockets and serial
// ports, stops the tune and disconnects the databases. Each part's code names its part through a
// reference into the struct, bound at compile time.
//
// Not in it: the background children of host commands (host_commands.h), which may outlive the
// program that started them; the reset reaps those that have ended.
#pragma once

#include "devices/database_connections.h"
#include "devices/named_pipes.h"
#include "devices/pipe_files.h"
#include "devices/program_files.h"
#include "devices/serial_ports.h"
#include "devices/unique_fd.h"
#include "values/record_hold.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <linux/serial.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>

namespace quillet {

// ---- Pipes (pipes.cpp) ------------------------------------------------------------------------

using PipeEnd = std::variant<NamedPipe, PipeFiles>;

struct PipeTable {
    std::map<int32_t, PipeEnd> ends;
    int32_t last_handle = 0;
};

// ---- Sockets (sockets.cpp) ----------------------------------------------------------------------

struct SocketTable {
    std::set<int> open; // closed when the table goes or is given a fresh value
    int32_t lookups = 0;
    SocketTable() = default;
    SocketTable(const SocketTable&) = delete;
    SocketTable& operator=(const SocketTable&) = delete;
    SocketTable& operator=(SocketTable&& other) noexcept;
    ~SocketTable();
};

// ---- Serial ports (serial_ports.cpp)
// -------------------------------------------------------------

using ReceiveBuffer = std::array<char, serial_buffer_size>;

struct SerialPort {
    UniqueFd device;
    std::unique_ptr<ReceiveBuffer> received; // allocated at open
    int32_t held = 0;                        // bytes of received in use
    std::string unsent;                      // written by the program, not yet taken by the device
    serial_icounter_struct line_errors{};    // counts at the last ERR query

    bool is_open() const { return device.valid(); }
};

struct SerialPorts {
    std::array<SerialPort, serial_port_count> ports;
    int32_t current = -1; // index of the current port, -1 for none
    std::chrono::steady_clock::time_point last_pump_poll;
};

// ---- The tune (sound.cpp) -----------------------------------------------------------------------

namespace host {
class ToneOutput;
}
class TunePlayer;

struct SoundState {
    bool output_opened = false;
    std::unique_ptr<host::ToneOutput> output;
    // The program's string that the position goes back into; held so that it lives while the
    // tune plays, whatever the program does with its variable.
    std::optional<RecordHold> sound;
    uint32_t delivered = 0;
    std::unique_ptr<TunePlayer> player; // after output: ends before the output closes

    SoundState();
    SoundState(const SoundState&) = delete;
    SoundState& operator=(const SoundState&) = delete;
    // A fresh value stops the tune before its output closes, and forgets the string it played
    // without releasing it: a reset has already given the arena back.
    SoundState& operator=(SoundState&& other) noexcept;
    ~SoundState();
};

// ---- Database connections (database_connections.cpp) -----------------------------------------

struct DatabaseConnection;
struct DatabaseConnectionDeleter {
    void operator()(DatabaseConnection* c) const noexcept; // disconnects, frees the handles
};
using DatabaseSlots =
    std::array<std::unique_ptr<DatabaseConnection, DatabaseConnectionDeleter>, database_slot_count>;

struct DevicesState {
    ProgramFiles files;
    PipeTable pipes;
    SocketTable sockets;
    SerialPorts serial;
    SoundState sound;
    DatabaseSlots databases;
};

extern DevicesState devices_state;

} // namespace quillet
