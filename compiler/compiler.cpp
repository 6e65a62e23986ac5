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
    // The first file is the main program; the others hold external procedures. Their lines
    // are checked and generated as one program, each line keeping its file.
    std::vector<int> files;
    for (const SourceInput& source : sources) {
        int f = read_source(source.name, source.bytes, diags);
        if (f < 0) return false;
        files.push_back(f);
    }
    if (files.empty()) return false;
    int file = files[0];
    Program program = parse_program(files, diags);
    Symbols symbols;
    bool checked = check_program(program, symbols, diags);
    if (!checked || diags.error_count() > 0) return false;
    out.assembly = generate_program(program, symbols) + library_text();
    try {
        out.image = bcode::write_image(tools::assemble(out.assembly, sources[0].name + " (code)"));
    } catch (const std::exception& e) {
        // A program past the image format's limits (64 KB per module, 8192 cells per numeric
        // area) is the program's matter; any other refusal of generated code is the compiler's.
        std::string what = e.what();
        size_t cut = what.find(": ");
        std::string detail = cut == std::string::npos ? what : what.substr(cut + 2);
        cut = detail.find(": ");
        if (cut != std::string::npos && detail.compare(0, 1, "0") >= 0 &&
            detail.find_first_not_of("0123456789") == cut)
            detail = detail.substr(cut + 2);
        if (what.find("too large") != std::string::npos ||
            what.find("is full") != std::string::npos)
            diags.error({file, 0, 0},
                        "the program is too large for one module of an image (" + detail + ")");
        else
            diags.error({file, 0, 0}, "internal compiler error: " + what);
        return false;
    }
    return true;
}

} // namespace quillet::compiler
