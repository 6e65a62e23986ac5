// Directory records: the current directory, the one the process started in, and conversions
// between records and texts.
#include "xvt/xvt.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace quillet {

namespace {

std::string current_directory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

// Taken before main runs, ahead of any change of directory.
const std::string start_directory = current_directory();

bool check(const void* pointer, std::string_view api) {
    if (!pointer) xvt_report_error(api, ErrorCategory::fsys, ErrorId::invalid_parameter);
    return pointer != nullptr;
}

} // namespace

void xp_fsys_get_dir(XvtDir* dir) {
    if (check(dir, "xp_fsys_get_dir")) dir->path = current_directory();
}

void xp_fsys_set_dir(const XvtDir* dir) {
    constexpr std::string_view api = "xp_fsys_set_dir";
    if (!check(dir, api)) return;
    std::error_code error;
    std::filesystem::current_path(dir->path, error);
    if (error || dir->path.empty()) xvt_report_error(api, ErrorCategory::fsys, ErrorId::host_error);
}

void xp_fsys_get_default_dir(XvtDir* dir) {
    if (check(dir, "xp_fsys_get_default_dir")) dir->path = start_directory;
}

bool xp_fsys_convert_dir_to_str(const XvtDir* dir, std::span<char> buffer) {
    if (!check(dir, "xp_fsys_convert_dir_to_str")) return false;
    if (dir->path.size() + 1 > buffer.size()) return false;
    std::memcpy(buffer.data(), dir->path.data(), dir->path.size());
    buffer[dir->path.size()] = '\0';
    return true;
}

bool xp_fsys_convert_str_to_dir(std::string_view text, XvtDir* dir) {
    if (!check(dir, "xp_fsys_convert_str_to_dir") || text.empty()) return false;
    dir->path = std::string(text);
    return true;
}

} // namespace quillet
