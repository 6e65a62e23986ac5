// Pipes between two programs on one machine (bif 408): one end opens a pipe under a name and
// waits for the other to connect, then both exchange byte strings.
//
// The engine reports an NT-family host, so a pipe is a named pipe, built on a Unix domain socket
// in a per-user directory (named_pipes.h). The file-pair emulation that the engine used on other
// hosts is kept (pipe_files.h); QUILLET_PIPE_EMULATION=1 selects it for the pipes opened from then
// on. A program holds a pipe by a handle that the engine looks up in its table: a handle it never
// handed out, or one already closed, gets the failure result and the debug-log line
// "bad pipe handle: %d", never an operation on some other descriptor. Every wait pumps host
// messages. docs/devices.md describes both implementations.
#pragma once

#include "devices/read_target.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

// The handle of a failed open, connect or close; 0 is a closed pipe.
inline constexpr int32_t pipe_failed = -1;

// The largest read that one call takes from the host; a larger size just reads what has arrived
// (a pipe read returns what is there anyway), so no size makes the engine allocate a huge buffer.
inline constexpr int32_t pipe_read_limit = 1 << 20;

// Opens the pipe name and waits for a client: its handle, or -1.
int32_t pipe_open(std::string_view name);

// Connects to the open pipe name: its handle, or -1.
int32_t pipe_connect(std::string_view name);

// Closes the end and frees its handle: 0, or -1 (the handle stays valid then).
int32_t pipe_close(int32_t handle);

// Waits for data and hands up to size bytes (at most pipe_read_limit) to into; false, with
// nothing handed over, on a failure or when size is 0.
bool pipe_read(int32_t handle, int32_t size, ReadTarget& into);

void pipe_write(int32_t handle, std::span<const std::byte> bytes);

// Forces written data out: a named pipe waits until the peer has read everything.
void pipe_flush(int32_t handle);

// Whether a pipe name may be used at all: not empty, no "/" and no "..", so that it never
// leaves the directory of the pipes.
bool is_safe_pipe_name(std::string_view name);

} // namespace quillet
