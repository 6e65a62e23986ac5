#include "ui/dialogs/file_filter.h"

#include "devices/directory_listing.h"

namespace quillet {

namespace {
constexpr size_t filter_buffer = 256;
}

std::vector<FileFilter> file_filters(std::string_view extension) {
    if (extension.empty()) return {{"All files", "*.*"}};
    // The pairs of both filters share one 256-byte buffer with their separators.
    const size_t room = filter_buffer - 1 - (sizeof "Files" + 2 + sizeof "All files" + 4);
    std::vector<FileFilter> filters{{"Files", "*." + std::string(extension.substr(0, room))}};
    if (extension.front() != '*') filters.push_back({"All files", "*.*"});
    return filters;
}

bool filter_matches(std::string_view pattern, std::string_view name) {
    while (true) {
        const size_t end = pattern.find(';');
        std::string_view one = pattern.substr(0, end);
        while (!one.empty() && one.front() == ' ')
            one.remove_prefix(1);
        while (!one.empty() && one.back() == ' ')
            one.remove_suffix(1);
        const bool directory_part = one.find_first_of("/\\") != std::string_view::npos;
        if (!one.empty() && !directory_part && wildcard_match(one, name)) return true;
        if (end == std::string_view::npos) return false;
        pattern.remove_prefix(end + 1);
    }
}

bool has_wildcards(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

} // namespace quillet
