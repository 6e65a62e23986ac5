// Code generation: a checked program to the assembly statements of its modules (the language of
// docs/assembly.md), which the assembler lays out and bcode's image writer writes.
#pragma once

#include "ast.h"
#include "checker.h"

#include <string>

namespace quillet::compiler {

// Programs of more lines than this have each procedure in a module of its own (and so has any
// program when generate_program is given `spread`).
constexpr size_t spread_lines = 1500;

// The program's module `main` with its routine `main` (and one internal routine per DEF
// function). It calls the library's routines as `qlib.NAME`.
std::string generate_program(const Program& program, const Symbols& symbols, bool spread = false);

} // namespace quillet::compiler
