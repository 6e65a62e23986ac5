#include "compiler.h"

#include "assembler.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "checker.h"
#include "codegen.h"
#include "library_text.h"
#include "parser.h"

#include <stdexcept>

namespace quillet::compiler {

const std::string& library_text() {
    static const std::string text = console_library_source;
    return text;
}

bool compile_program(const std::vector<SourceInput>& sources, Diagnostics& diags,
                     CompileOutput& out) {
    if (sources.size() != 1) {
        diags.error({-1, 0, 0}, "one program file at a time: external units come later");
        return false;
    }
    int file = read_source(sources[0].name, sources[0].bytes, diags);
    if (file < 0) return false;
    Program program = parse_program(file, diags);
    Symbols symbols;
    bool checked = check_program(program, symbols, diags);
    if (!checked || diags.error_count() > 0) return false;
    out.assembly = generate_program(program, symbols) + library_text();
    try {
        out.image = bcode::write_image(tools::assemble(out.assembly, sources[0].name + " (code)"));
    } catch (const std::exception& e) {
        // Generated code the assembler refuses is the compiler's own fault.
        diags.error({file, 0, 0}, std::string("internal compiler error: ") + e.what());
        return false;
    }
    return true;
}

} // namespace quillet::compiler
