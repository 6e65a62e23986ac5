#include "devices/file_system.h"

#include "devices/file_status.h"
#include "devices/path_mapping.h"

#include <cerrno>
#include <cstdio>
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
    return status_of_errno(errno_of(std::rename(source.c_str(), target.c_str())));
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
