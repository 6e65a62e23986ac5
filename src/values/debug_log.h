// The optional debug log: the file that QUILLET_LOG names, or else a file named "debug" beside the
// executable, used only when it exists at start-up. Either is emptied at start-up; each diagnostic
// appends one line.
#pragma once

#include "values/values_state.h"

#include <string>

namespace quillet {

// The log's file is debug_log_state (values_state.h).

// Enables the log when a file named "debug" exists in the directory, emptying it.
void debug_log_open(const std::string& directory);

// Enables the log in the named file, creating or emptying it; false (the log disabled) when it
// cannot be written. A relative name is taken from the current directory at the call, so a
// program that changes directory keeps writing the same file.
bool debug_log_open_file(const std::string& path);

// printf-style; the text is cut at 255 bytes, as the log has always done.
[[gnu::format(printf, 1, 2)]] void debug_log(const char* format, ...);

} // namespace quillet
