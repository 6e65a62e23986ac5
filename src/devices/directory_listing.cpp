#include "devices/directory_listing.h"

#include "devices/path_mapping.h"
#include "values/errors.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace quillet {
namespace {

constexpr int32_t cannot_stat_entry = -11270;

struct Entry {
    std::string name;
    char type; // 'd' directory, 'D' added subdirectory, '-' file
    bool writable;
    long long size;
    long long modified;
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Wildcard matching with one backtrack point (the last star), so no pattern takes more than
// pattern length times name length steps.
bool match_from(std::string_view p, std::string_view s) {
    size_t pi = 0, si = 0, star = std::string_view::npos, resume = 0;
    while (si < s.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = si;
        } else if (pi < p.size() && (p[pi] == '?' || lower(p[pi]) == lower(s[si]))) {
            ++pi;
            ++si;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

// Appends the entries of directory for which keep(name, is_directory) holds.
template <typename Keep>
void gather(const std::string& directory, char directory_type, Keep keep,
            std::vector<Entry>& entries) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directory.c_str()), closedir);
    if (!dir) return; // nothing found, as a search with no match
    while (const dirent* d = readdir(dir.get())) {
        std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        std::string path = directory == "/" ? "/" + name : directory + "/" + name;
        struct stat st;
        bool is_directory = false;
        if (d->d_type == DT_DIR)
            is_directory = true;
        else if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK)
            is_directory = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (!keep(name, is_directory)) continue;
        if (stat(path.c_str(), &st) != 0) raise_error(cannot_stat_entry);
        is_directory = S_ISDIR(st.st_mode);
        entries.push_back({name, is_directory ? directory_type : '-', (st.st_mode & S_IWUSR) != 0,
                           is_directory ? 0 : (long long)st.st_size, (long long)st.st_mtime});
    }
}

} // namespace

bool wildcard_match(std::string_view pattern, std::string_view name) {
    if (match_from(pattern, name)) return true;
    // "NAME.*" also finds NAME without an extension, so "*.*" finds every entry.
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           match_from(pattern.substr(0, pattern.size() - 2), name);
}

std::string asctime_text(long long seconds) {
    static constexpr const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    time_t t = time_t(seconds);
    struct tm tm;
    if (!localtime_r(&t, &tm)) tm = {};
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", days[tm.tm_wday % 7],
                  months[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  1900 + tm.tm_year);
    return text;
}

DirectoryListing list_directory(std::string_view engine_pattern, bool add_subdirectories) {
    std::vector<Entry> entries;
    std::string_view pattern = engine_pattern;
    if (!add_subdirectories && pattern.empty()) pattern = "*.*";
    if (!pattern.empty()) {
        size_t cut = pattern.find_last_of("\\/");
        bool drive_only = cut == std::string_view::npos && pattern.size() >= 2 && pattern[1] == ':';
        if (drive_only) cut = 1;
        std::string directory =
            cut == std::string_view::npos ? "." : host_path(pattern.substr(0, cut + 1));
        std::string_view last = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
        if (!last.empty())
            gather(
                directory, 'd',
                [last](const std::string& name, bool) { return wildcard_match(last, name); },
                entries);
    }
    if (add_subdirectories)
        gather(
            ".", 'D', [](const std::string&, bool is_directory) { return is_directory; }, entries);

    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
    });
    DirectoryListing listing;
    for (const Entry& e : entries) {
        listing.names += e.name;
        listing.names += "\r\n";
        char head[32];
        std::snprintf(head, sizeof head, "%cr%c%c%10lld  ", e.type, e.writable ? 'w' : '-', '-',
                      e.size);
        listing.details += head;
        listing.details += asctime_text(e.modified);
        listing.details += "  ";
        listing.details += e.name;
        listing.details += "\r\n";
    }
    return listing;
}

} // namespace quillet
