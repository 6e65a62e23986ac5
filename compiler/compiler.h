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
// With `windowed`, the program prints into the default window's text console and reads INPUT
// there instead of the standard streams.
bool compile_program(const std::vector<SourceInput>& sources, Diagnostics& diags,
                     CompileOutput& out, bool windowed = false);

// Compiles one source of the runtime library (library/*.bas) in library mode: it begins with
// `MODULE name` and holds SUBs and FUNCTIONs, which become that module's routines (named in
// lower case, without `$`); `BIF name(operands)` calls a bif of the engine and `CALL
// module.routine(operands)` a routine of another module. The build compiles each library
// source so, once.
bool compile_library(const SourceInput& source, Diagnostics& diags, std::string& assembly);

// The runtime library's assembly text, as linked into every compiled program.
// With `windowed`: that of windowed programs (the window's text console in module qwin).
const std::string& library_text(bool windowed = false);

} // namespace quillet::compiler
