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

// Compiles a program: a console program (PRINT to standard output, INPUT from standard input)
// or, with `windowed`, one that prints into the default window's text console and reads INPUT
// there. Returns false when `diags` holds errors; warnings may come either way.
bool compile_program(const std::vector<SourceInput>& sources, Diagnostics& diags,
                     CompileOutput& out, bool windowed = false);

// Compiles one source of the runtime library (library/*.bas) in library mode: it begins with
// `MODULE name` and holds SUBs and FUNCTIONs, which become that module's routines (named in
// lower case, without `$`); `BIF name(operands)` calls a bif of the engine and `CALL
// module.routine(operands)` a routine of another module. The build compiles each library
// source so, once.
bool compile_library(const SourceInput& source, Diagnostics& diags, std::string& assembly);

// The runtime library's assembly text, as linked into compiled console programs, or with
// `windowed` into windowed ones (their module qwin is the window's text console).
const std::string& library_text(bool windowed = false);

} // namespace quillet::compiler
