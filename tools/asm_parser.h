// Reads assembly source text into a ProgramSrc; syntax errors throw AsmError (FILE:LINE).
#pragma once

#include "asm_program.h"

#include <string>

namespace quillet::tools {

ProgramSrc parse_assembly(const std::string& text, const std::string& file);

// Cell bits of a numeric literal as written: integers that fit 32 bits take the integer form,
// everything else an IEEE double. Returns false for text that is no number.
bool parse_number_cell(const std::string& text, uint64_t& cell);

} // namespace quillet::tools
