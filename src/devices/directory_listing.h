// Directory listings of the file-system bif: the names text and the details text, one line per
// entry, in the exact layout the B-code library parses.
#pragma once

#include <string>
#include <string_view>

namespace quillet {

struct DirectoryListing {
    std::string names;   // each name followed by CR LF
    std::string details; // each "%cr%c%c%10ld  %s  %s" line (asctime date) followed by CR LF
};

// Every entry matching the engine pattern (a directory part, then a last component with the
// wildcards * and ?, matched without regard to case; "X.*" also matches "X"). With
// add_subdirectories (listing kind 2) every subdirectory of the current directory follows as a
// "D" entry. "." and ".." are skipped; entries are sorted by name without regard to case. An
// entry whose status cannot be read raises -11270.
DirectoryListing list_directory(std::string_view engine_pattern, bool add_subdirectories);

// Whether name matches the wildcard pattern, without regard to ASCII case.
bool wildcard_match(std::string_view pattern, std::string_view name);

// The 25-character asctime text of a time (with its newline), for any year.
std::string asctime_text(long long seconds_since_epoch);

} // namespace quillet
