// The file status: the small number by which the file bifs report a host failure and to which
// the B-code library adds 9000 to raise its own error.
#pragma once

#include <cstdint>

namespace quillet {

namespace file_status {
inline constexpr int32_t ok = 0;
inline constexpr int32_t protected_file = 1; // EPERM, EACCES, EISDIR, EROFS
inline constexpr int32_t trouble = 2;        // any other errno
inline constexpr int32_t not_found = 3;      // ENOENT, ENODEV, ENOTDIR; a bad lock handle
inline constexpr int32_t exists = 4;         // EEXIST
inline constexpr int32_t disk_full = 6;      // ENOSPC; a short read
inline constexpr int32_t no_printer = 101;   // open kind 1
inline constexpr int32_t unlock_failed = -1893;
inline constexpr int32_t range_locked = -1892;
inline constexpr int32_t lock_failed = 9000;
} // namespace file_status

// The file status of an errno value.
int32_t status_of_errno(int error);

} // namespace quillet
