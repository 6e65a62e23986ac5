// Errors in an assembly source, reported as FILE:LINE: message.
#pragma once

#include <stdexcept>
#include <string>

namespace quillet::tools {

class AsmError : public std::runtime_error {
public:
    AsmError(const std::string& file, int line, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + message) {}
};

} // namespace quillet::tools
