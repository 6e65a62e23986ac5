// Named pipes as Unix domain sockets. The pipe "NAME" is the socket NAME.sock in the pipe
// directory: $QUILLET_PIPE_DIR when set, else $XDG_RUNTIME_DIR/quillet-pipes, else
// /tmp/quillet-pipes-UID (created with mode 0700; a directory that is not ours or that others may
// enter is refused). Only one instance of a name exists at a time: the opening end holds an
// exclusive lock on NAME.lock for as long as its pipe is open, so a second "open" fails, and a
// pipe left behind by a process that died is taken over. The socket file exists only while the
// server waits for its client, so a second "connect" fails too.
#pragma once

#include "devices/read_target.h"
#include "devices/unique_fd.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

struct NamedPipe {
    UniqueFd connection;
    UniqueFd instance_lock; // held by the server end
    bool server = false;
};

// The name as the program saw it, for the debug log: \\.\pipe\NAME.
std::string named_pipe_path(std::string_view name);

std::optional<NamedPipe> named_pipe_open(std::string_view name);
std::optional<NamedPipe> named_pipe_connect(std::string_view name);

// handle is the program's number for the pipe, for the debug log.
bool named_pipe_read(NamedPipe& pipe, int32_t size, int32_t handle, ReadTarget& into);
void named_pipe_write(NamedPipe& pipe, std::span<const std::byte> bytes, int32_t handle);
void named_pipe_flush(NamedPipe& pipe);
bool named_pipe_close(NamedPipe& pipe, int32_t handle);

} // namespace quillet
