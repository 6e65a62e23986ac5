// The file-pair emulation of pipes: the pipe NAME is two ordinary files in the directory named by
// TMP (else TEMP, else the root), NAME.R and NAME.W, found through the path mapping of files. The
// server reads NAME.R and writes NAME.W, the client the other way round. Each side announces
// itself by writing "connected" and waits until it has read the peer's; reads wait until the
// peer's file has grown. The files stay on disk after "close".
#pragma once

#include "devices/unique_fd.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

struct PipeFiles {
    UniqueFd read_file;
    UniqueFd write_file;
    UniqueFd change_watch; // inotify on the read file, so that waits sleep until it grows
};

// The host paths of the two files, server's read file first.
struct PipeFilePaths {
    std::string server_reads;  // NAME.R
    std::string server_writes; // NAME.W
};
PipeFilePaths pipe_file_paths(std::string_view name);

std::optional<PipeFiles> pipe_files_open(std::string_view name);
std::optional<PipeFiles> pipe_files_connect(std::string_view name);

std::string pipe_files_read(PipeFiles& pipe, int32_t size);
void pipe_files_write(PipeFiles& pipe, std::span<const std::byte> bytes);
void pipe_files_flush(PipeFiles& pipe);

} // namespace quillet
