// Source lines to a syntax tree. Syntax errors are reported with their position and the parser
// goes on with the next line, so one run reports every faulty line.
#pragma once

#include "ast.h"

#include <vector>

namespace quillet::compiler {

// The files (indexes into diags.files) are one program: the main program's file first, then
// files of external procedures. Names defined as functions in any of them are known in all.
// `library`: one library source, which names its module and holds procedures only.
Program parse_program(const std::vector<int>& files, Diagnostics& diags, bool library = false);

} // namespace quillet::compiler
