// The BASIC compiler over arbitrary source text, as `quillet compile --console` runs it, without
// running the result; a text that begins with MODULE is compiled as a library source.
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "compiler.h"
#include "entries.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillet::fuzz {

void compile_basic_text(const uint8_t* data, size_t size) {
    compiler::Diagnostics diags;
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The first line that is not blank or a comment decides.
    size_t line = 0;
    while (line < text.size()) {
        size_t first = text.find_first_not_of(" \t\r\n", line);
        if (first == std::string::npos || text[first] != '!') {
            line = first;
            break;
        }
        line = text.find('\n', first);
    }
    if (line < text.size() && text.compare(line, 6, "MODULE") == 0) {
        // A library source, as the build compiles library/*.bas: refused with diagnostics or
        // compiled, never a crash (its calls of other modules are checked only when assembled).
        std::string assembly;
        compiler::compile_library({"fuzz.bas", text}, diags, assembly);
        return;
    }
    compiler::CompileOutput out;
    const bool compiled = compiler::compile_program({{"fuzz.bas", text}}, diags, out);
    // Refusing a program is the outcome for most inputs; refusing the compiler's own generated
    // code is a fault of the compiler, not of the program.
    for (const compiler::Diagnostic& d : diags.list) {
        if (d.message.rfind("internal compiler error", 0) == 0) {
            std::fprintf(stderr, "%s", diags.render().c_str());
            std::abort();
        }
    }
    if (!compiled) return;
    // An image the compiler gives must be one the engine loads.
    try {
        bcode::read_image(out.image);
    } catch (const bcode::FormatError& e) {
        std::fprintf(stderr, "a compiled program's image does not validate: %s\n", e.what());
        std::abort();
    }
}

} // namespace quillet::fuzz
