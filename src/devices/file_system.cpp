#include "devices/file_system.h"

#include "devices/file_status.h"
#include "devices/path_mapping.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quillet {
namespace {

int errno_of(int result) {
    return result == 0 ? 0 : errno;
}

} // namespace

int32_t delete_file(const std::string& engine_name) {
    return status_of_errno(unlink_file(engine_name));
}

int32_t rename_file(const std::string& from, const std::string& to) {
    std::string source = host_path(from);
    std::string target = host_path(to);
    return status_of_errno(rename_without_replacing(source, target));
}

int rename_without_replacing(const std::string& source, const std::string& target) {
    struct stat from_info {};
    struct stat to_info {};
    bool source_found = stat(source.c_str(), &from_info) == 0;
    // Names that differ only in case reach the same file through the case-insensitive look-up:
    // that is a rename onto itself, which succeeds and changes nothing.
    if (source_found && stat(target.c_str(), &to_info) == 0 && from_info.st_dev == to_info.st_dev &&
        from_info.st_ino == to_info.st_ino)
        return 0;
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // The file system cannot refuse a replacement itself. A new link fails on an existing name
    // as a rename onto it should; directories cannot be linked, so they are checked first.
    if (source_found && S_ISDIR(from_info.st_mode)) {
        if (lstat(target.c_str(), &to_info) == 0) return EEXIST;
        return errno_of(std::rename(source.c_str(), target.c_str()));
    }
    if (link(source.c_str(), target.c_str()) != 0) return errno;
    return errno_of(unlink(source.c_str()));
}

std::optional<std::string> current_directory() {
    std::unique_ptr<char, void (*)(void*)> path(getcwd(nullptr, 0), free);
    if (!path) return std::nullopt;
    return std::string(path.get());
}

int change_directory(const std::string& engine_name) {
    return errno_of(chdir(host_path(engine_name).c_str()));
}

int make_directory(const std::string& engine_name) {
    return errno_of(mkdir(host_path(engine_name).c_str(), 0777));
}

int remove_directory(const std::string& engine_name) {
    return errno_of(rmdir(host_path(engine_name).c_str()));
}

int unlink_file(const std::string& engine_name) {
    return errno_of(unlink(host_path(engine_name).c_str()));
}

std::optional<DiskSpace> current_disk_space() {
    struct statvfs fs;
    if (statvfs(".", &fs) != 0) return std::nullopt;
    double unit = double(fs.f_frsize);
    double total = unit * double(fs.f_blocks);
    double free = unit * double(fs.f_bavail);
    return DiskSpace{total - free, free};
}

} // namespace quillet
