#include "devices/pipes.h"

#include "devices/devices_state.h"
#include "devices/named_pipes.h"
#include "devices/pipe_files.h"
#include "devices/platform_probe.h"
#include "values/debug_log.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <variant>

namespace quillet {
namespace {

constexpr PipeTable& pipe_table = devices_state.pipes;

// Named pipes on an NT-family host, unless QUILLET_PIPE_EMULATION asks for the file pairs.
bool use_emulation() {
    const char* v = std::getenv("QUILLET_PIPE_EMULATION");
    return !platform_flags.is_nt || (v && *v && std::string_view(v) != "0");
}

// The name as the host's NUL-terminated path holds it.
std::string_view c_name(std::string_view name) {
    return name.substr(0, name.find('\0'));
}

int32_t add_end(PipeEnd end) {
    do {
        pipe_table.last_handle =
            pipe_table.last_handle == INT32_MAX ? 1 : pipe_table.last_handle + 1;
    } while (pipe_table.ends.contains(pipe_table.last_handle));
    pipe_table.ends.emplace(pipe_table.last_handle, std::move(end));
    return pipe_table.last_handle;
}

template <typename T>
int32_t add_end(std::optional<T> end) {
    return end ? add_end(PipeEnd(std::move(*end))) : pipe_failed;
}

PipeEnd* find_end(int32_t handle) {
    auto it = pipe_table.ends.find(handle);
    if (it != pipe_table.ends.end()) return &it->second;
    debug_log("bad pipe handle: %d", handle);
    return nullptr;
}

} // namespace

bool is_safe_pipe_name(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find("..") == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

int32_t pipe_open(std::string_view name) {
    name = c_name(name);
    return use_emulation() ? add_end(pipe_files_open(name)) : add_end(named_pipe_open(name));
}

int32_t pipe_connect(std::string_view name) {
    name = c_name(name);
    return use_emulation() ? add_end(pipe_files_connect(name)) : add_end(named_pipe_connect(name));
}

int32_t pipe_close(int32_t handle) {
    PipeEnd* end = find_end(handle);
    if (!end) return pipe_failed;
    if (auto* named = std::get_if<NamedPipe>(end); named && !named_pipe_close(*named, handle))
        return pipe_failed;
    pipe_table.ends.erase(handle);
    return 0;
}

bool pipe_read(int32_t handle, int32_t size, ReadTarget& into) {
    PipeEnd* end = find_end(handle);
    if (!end) return false;
    if (auto* named = std::get_if<NamedPipe>(end))
        return named_pipe_read(*named, size, handle, into);
    std::string data = pipe_files_read(std::get<PipeFiles>(*end), size);
    if (data.empty()) return false;
    std::span<std::byte> room = into.room(data.size());
    std::memcpy(room.data(), data.data(), data.size());
    into.arrived(data.size());
    return true;
}

void pipe_write(int32_t handle, std::span<const std::byte> bytes) {
    PipeEnd* end = find_end(handle);
    if (!end) return;
    if (auto* named = std::get_if<NamedPipe>(end)) return named_pipe_write(*named, bytes, handle);
    pipe_files_write(std::get<PipeFiles>(*end), bytes);
}

void pipe_flush(int32_t handle) {
    PipeEnd* end = find_end(handle);
    if (!end) return;
    if (auto* named = std::get_if<NamedPipe>(end)) return named_pipe_flush(*named);
    pipe_files_flush(std::get<PipeFiles>(*end));
}

} // namespace quillet
