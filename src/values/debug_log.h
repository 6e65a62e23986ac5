// The optional debug log: a file named "debug" beside the executable, used only when it exists at
// start-up (it is emptied then); each diagnostic appends one line.
#pragma once

#include <string>

namespace quillet {

struct DebugLog {
    std::string path; // empty: logging disabled
};

inline DebugLog debug_log_state;

// Enables the log when a file named "debug" exists in the directory, emptying it.
void debug_log_open(const std::string& directory);

// printf-style; the text is cut at 255 bytes, as the log has always done.
[[gnu::format(printf, 1, 2)]] void debug_log(const char* format, ...);

} // namespace quillet
