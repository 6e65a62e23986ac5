// Source lines to a syntax tree. Syntax errors are reported with their position and the parser
// goes on with the next line, so one run reports every faulty line.
#pragma once

#include "ast.h"

namespace quillet::compiler {

Program parse_program(int file, Diagnostics& diags);

} // namespace quillet::compiler
