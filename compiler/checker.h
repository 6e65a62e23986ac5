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

// The variables of one program unit: the main program with its internal procedures, or one
// external procedure.
struct Scope {
    std::set<std::string> numbers, strings; // simple variables
    std::map<std::string, ArrayInfo> arrays;
};

// A SUB, FUNCTION or DEF. Internal ones (before the main program's END) share the main
// program's variables; external ones (after it) have their own.
struct Procedure {
    const Stmt* head = nullptr; // sub, function or def
    bool external = false;
    Scope own;                         // external: its variables (without its parameters)
    const Procedure* parent = nullptr; // a DEF on one line inside an external procedure
    const Param* param(const std::string& name) const;
    bool is_function() const { return head->kind != Stmt::sub; }
};

struct Symbols {
    Scope main;
    std::map<std::string, Procedure> procedures;       // by name
    std::map<const Stmt*, const Procedure*> owner;     // statements inside a procedure
    std::map<std::pair<int, long>, size_t> line_index; // (file, line number) -> index in lines
    std::map<const Stmt*, int> loops;                  // FOR and its NEXT -> loop number
    int loop_count = 0;
    int option_base = 0;
    size_t data_count = 0;
    std::set<int> numbered; // the source files whose lines carry numbers
    // A library source's START routine (its SUB's name) and its SHARED variables, which live in
    // that routine's frame and which every procedure of the source reaches (`boot.NAME`).
    std::string start;
    Scope shared;
    bool is_shared(const std::string& name) const {
        return shared.numbers.count(name) || shared.strings.count(name) ||
               shared.arrays.count(name);
    }
    bool is_numbered(const Line& l) const { return numbered.count(l.pos.file) > 0; }
};

// The routine a library source's SUB or FUNCTION becomes: its name in lower case, without `$`.
inline std::string library_routine(const std::string& name) {
    std::string r;
    for (char c : name)
        if (c != '$') r += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return r;
}

// Fills `symbols`; reports every fault; returns whether the program may be compiled.
bool check_program(const Program& program, Symbols& symbols, Diagnostics& diags);

} // namespace quillet::compiler
