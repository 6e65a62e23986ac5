// Errors in an assembly source, reported as FILE:LINE: message (or FILE:LINE:COLUMN: message).
#pragma once

#include <stdexcept>
#include <string>

namespace quillet::tools {

class AsmError : public std::runtime_error {
public:
    AsmError(const std::string& file, int line, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + message) {}
    // FILE:LINE:COLUMN: message, the column counting characters from 1.
    AsmError(const std::string& file, int line, int column, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) +
                             ": " + message) {}
};

} // namespace quillet::tools
