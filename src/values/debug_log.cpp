#include "values/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>

namespace quillet {

void debug_log_open(const std::string& directory) {
    std::string path = directory + "/debug";
    debug_log_state.path.clear();
    if (FILE* f = std::fopen(path.c_str(), "r")) {
        std::fclose(f);
        if (FILE* w = std::fopen(path.c_str(), "w")) {
            std::fclose(w);
            debug_log_state.path = path;
        }
    }
}

bool debug_log_open_file(const std::string& path) {
    debug_log_state.path.clear();
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) return false;
    FILE* w = std::fopen(absolute.c_str(), "w");
    if (!w) return false;
    std::fclose(w);
    debug_log_state.path = absolute.string();
    return true;
}

void debug_log(const char* format, ...) {
    if (debug_log_state.path.empty()) return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (FILE* f = std::fopen(debug_log_state.path.c_str(), "a+")) {
        std::fprintf(f, "%s\n", text);
        std::fclose(f);
    }
}

} // namespace quillet
