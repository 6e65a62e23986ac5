// The filters of the file dialogs: the pairs offered for an extension, and which names a
// filter's pattern lets through.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

struct FileFilter {
    std::string description;
    std::string pattern; // wildcard patterns separated by ';'
};

// No extension: "All files" with *.*. Otherwise "Files" with *.EXTENSION, followed by "All
// files" with *.* unless the extension begins with '*'. The filter text is held to 255 bytes.
std::vector<FileFilter> file_filters(std::string_view extension);

// Whether the file name matches one of the pattern's ';'-separated wildcard patterns (* and ?,
// without regard to case; "X.*" also matches "X"). Patterns with a directory part match nothing.
bool filter_matches(std::string_view pattern, std::string_view name);

// Whether a typed name is a pattern to filter by rather than a file to choose.
bool has_wildcards(std::string_view name);

} // namespace quillet
