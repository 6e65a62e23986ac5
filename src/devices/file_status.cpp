#include "devices/file_status.h"

#include <cerrno>

namespace quillet {

int32_t status_of_errno(int error) {
    switch (error) {
    case 0: return file_status::ok;
    case EPERM:
    case EACCES:
    case EISDIR:
    case EROFS: return file_status::protected_file;
    case ENOENT:
    case ENODEV:
    case ENOTDIR: return file_status::not_found;
    case EEXIST: return file_status::exists;
    case ENOSPC: return file_status::disk_full;
    default: return file_status::trouble;
    }
}

} // namespace quillet
