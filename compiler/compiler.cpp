#include "compiler.h"

#include "assembler.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "checker.h"
#include "codegen.h"
#include "library_text.h"
#include "parser.h"
#include "window_library_text.h"
#include "window_none_text.h"

#include <stdexcept>

namespace quillet::compiler {

namespace {

// A text that the library build wrote as pieces, joined.
template <size_t N>
std::string joined(const char* const (&pieces)[N]) {
    std::string text;
    for (const char* piece : pieces)
        text += piece;
    return text;
}

} // namespace

const std::string& library_text(bool windowed) {
    // Module qwin: the window's text console, or for console programs an empty one.
    static const std::string common = joined(console_library_source);
    static const std::string console = common + joined(window_none_source);
    static const std::string window = common + joined(window_library_source);
    return windowed ? window : console;
}

bool compile_program(const std::vector<SourceInput>& sources, Diagnostics& diags,
                     CompileOutput& out, bool windowed) {
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
    out.assembly = generate_program(program, symbols) + library_text(windowed);
    // A large program is spread over modules from the start, so another try cannot help it:
    // its tree is released before the assembler fills the memory.
    bool retry = program.lines.size() <= spread_lines;
    if (!retry) {
        symbols = Symbols();
        program = Program();
    }
    for (bool spread = false;; spread = true) {
        try {
            out.image =
                bcode::write_image(tools::assemble(out.assembly, sources[0].name + " (code)"));
            break;
        } catch (const std::exception& e) {
            // A module too large for the entries of its routines: once more with each procedure
            // in a module of its own (large programs are generated so from the start).
            std::string what = e.what();
            bool module_size = what.find("too large") != std::string::npos ||
                               what.find("beyond the 64 KB") != std::string::npos;
            if (module_size && !spread && retry) {
                out.assembly = generate_program(program, symbols, true) + library_text(windowed);
                continue;
            }
            // A program past the image format's limits (64 KB for the tables and routine entries
            // of a module, 8192 cells per numeric area, 16384 string literals) is the program's
            // matter; any other refusal of generated code is the compiler's.
            size_t cut = what.find(": ");
            std::string detail = cut == std::string::npos ? what : what.substr(cut + 2);
            cut = detail.find(": ");
            if (cut != std::string::npos && detail.compare(0, 1, "0") >= 0 &&
                detail.find_first_not_of("0123456789") == cut)
                detail = detail.substr(cut + 2);
            if (module_size)
                diags.error({file, 0, 0},
                            "the program is too large for an image (" + detail +
                                "); a module's tables and routine entries, and a routine's "
                                "variables, must lie within 64 KB: move part of the main "
                                "program into SUBs and FUNCTIONs, each of which gets a module "
                                "and variables of its own");
            else if (what.find("is full") != std::string::npos)
                diags.error({file, 0, 0}, "the program is too large for an image (" + detail + ")");
            else
                diags.error({file, 0, 0}, "internal compiler error: " + what);
            return false;
        }
    }
    return true;
}

} // namespace quillet::compiler
