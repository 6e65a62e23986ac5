// The Quillet BASIC compiler: sources to a B-code image that carries the runtime library.
#pragma once

#include "source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::compiler {

struct SourceInput {
    std::string name;
    std::string bytes; // the file as read (UTF-8)
};

struct CompileOutput {
    std::string assembly; // the program and the library as assembly text
    std::vector<uint8_t> image;
};

// Compiles a console program (PRINT to standard output). Returns false when `diags` holds
// errors; warnings may come either way.
bool compile_program(const std::vector<SourceInput>& sources, Diagnostics& diags,
                     CompileOutput& out);

// The runtime library's assembly text, as linked into every compiled program.
const std::string& library_text();

} // namespace quillet::compiler
