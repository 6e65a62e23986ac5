// Whole-file reading and writing for the tools, with errors that name the file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillet::tools {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& what) : std::runtime_error(what) {}
};

// A wrong command line (exit status 2), as opposed to bad input (1).
class UsageError : public ToolError {
public:
    using ToolError::ToolError;
};

std::vector<uint8_t> read_file(const std::string& path);
std::string read_text_file(const std::string& path);
// Writes through a temporary file in the same directory and renames it, so a failed write never
// leaves a half-written output. `executable` keeps the run bits of `mode_from` (or sets 0755).
void write_file(const std::string& path, const std::vector<uint8_t>& bytes, bool executable = false,
                const std::string& mode_from = "");

} // namespace quillet::tools
