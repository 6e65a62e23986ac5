// Warnings about assembly that assembles but is probably not what its author meant.
#pragma once

#include "asm_program.h"

#include <string>
#include <vector>

namespace quillet::tools {

// "FILE:LINE: warning: ..." lines: routines whose last op can fall through into whatever
// follows them.
std::vector<std::string> assembly_warnings(const ProgramSrc& program);

} // namespace quillet::tools
