// Name and type resolution and the checks a program must pass before code is generated.
#pragma once

#include "ast.h"

#include <map>
#include <set>
#include <string>

namespace quillet::compiler {

struct ArrayInfo {
    std::vector<std::pair<long, long>> bounds; // lower, upper per dimension
    bool declared = false;                     // by DIM (else 0 or 1 to 10)
};

struct Symbols {
    std::set<std::string> numbers, strings; // simple variables
    std::map<std::string, ArrayInfo> arrays;
    std::map<std::string, const Stmt*> functions; // DEF FN
    std::map<long, size_t> line_index;            // line number -> index in Program::lines
    std::map<const Stmt*, int> loops;             // FOR and its NEXT -> loop number
    int loop_count = 0;
    int option_base = 0;
    size_t data_count = 0;
};

// Fills `symbols`; reports every fault; returns whether the program may be compiled.
bool check_program(const Program& program, Symbols& symbols, Diagnostics& diags);

} // namespace quillet::compiler
