#include "checker.h"
#include "codegen.h"
#include "compiler.h"
#include "parser.h"

namespace quillet::compiler {

bool compile_library(const SourceInput& source, Diagnostics& diags, std::string& assembly) {
    int file = read_source(source.name, source.bytes, diags);
    if (file < 0) return false;
    Program program = parse_program({file}, diags, true);
    Symbols symbols;
    bool checked = check_program(program, symbols, diags);
    if (!checked || diags.error_count() > 0) return false;
    assembly = "; Generated from " + source.name + " by the compiler's library mode.\n" +
               generate_program(program, symbols);
    return true;
}

} // namespace quillet::compiler
