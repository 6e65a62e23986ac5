// Files and directories by name: delete, rename, the current directory, directory creation and
// removal, and the free space of the current drive. Names are engine file names (see
// path_mapping.h); results are file statuses or errno values as each caller needs them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillet {

// Deletes a file; the file status.
int32_t delete_file(const std::string& engine_name);

// Renames a file; the file status. An existing target is never replaced: that fails with
// status 4 (exists), so a program cannot overwrite data by renaming onto it.
int32_t rename_file(const std::string& from, const std::string& to);

// Renames host path source to target unless target exists; the errno value, 0 on success.
int rename_without_replacing(const std::string& source, const std::string& target);

// The host's current directory, or nothing when it cannot be read.
std::optional<std::string> current_directory();

// Makes the directory current; the errno value, 0 on success.
int change_directory(const std::string& engine_name);

// Creates, removes a directory or deletes a file; the errno value, 0 on success.
int make_directory(const std::string& engine_name);
int remove_directory(const std::string& engine_name);
int unlink_file(const std::string& engine_name);

struct DiskSpace {
    double used;
    double free;
};

// Space on the file system of the current directory, or nothing when it cannot be asked.
std::optional<DiskSpace> current_disk_space();

} // namespace quillet
