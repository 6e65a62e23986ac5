#include "devices/path_mapping.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace quillet {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The name of an entry of `directory` equal to `component` without regard to ASCII case. Of
// several such entries the first in byte order wins, so the choice never depends on the order
// the host lists them in. Empty when there is none.
std::string find_without_case(const std::string& directory, const std::string& component) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directory.empty() ? "." : directory.c_str()),
                                            closedir);
    if (!dir) return {};
    std::string best;
    while (const dirent* entry = readdir(dir.get())) {
        if (strcasecmp(entry->d_name, component.c_str()) != 0) continue;
        if (best.empty() || best > entry->d_name) best = entry->d_name;
    }
    return best;
}

// The directory a drive letter stands for.
std::string drive_root(char letter) {
    char upper = char(letter & ~0x20);
    std::string variable = std::string("QUILLET_DRIVE_") + upper;
    const char* root = std::getenv(variable.c_str());
    return root && *root ? root : "/";
}

void append_component(std::string& path, std::string_view component) {
    if (!path.empty() && path.back() != '/') path += '/';
    path += component;
}

} // namespace

std::string engine_file_name(std::string_view text, size_t buffer) {
    text = text.substr(0, std::min(text.find('\0'), buffer - 1));
    std::string name(text);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return name;
}

std::string host_path(std::string_view name) {
    if (name.empty()) return {};
    std::string path;
    bool has_drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    if (has_drive) {
        path = drive_root(name[0]);
        name.remove_prefix(2);
    } else if (is_separator(name.front())) {
        path = "/";
    }
    // Components below the drive's directory: `..` at its root stays there, as on Windows, so a
    // drive name never leaves the directory its variable names.
    int depth = 0;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !is_separator(name[end]))
            ++end;
        std::string component(name.substr(start, end - start));
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (has_drive && depth == 0) continue;
            append_component(path, component);
            --depth;
            continue;
        }
        ++depth;
        std::string exact = path;
        append_component(exact, component);
        if (!exists(exact)) {
            std::string found = find_without_case(path, component);
            if (!found.empty()) component = found;
        }
        append_component(path, component);
    }
    // A name of separators alone is the root of its drive.
    return path.empty() ? "." : path;
}

} // namespace quillet
