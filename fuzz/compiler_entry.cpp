// The BASIC compiler over arbitrary source text, as `quillet compile --console` runs it, without
// running the result.
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
    compiler::CompileOutput out;
    const bool compiled = compiler::compile_program(
        {{"fuzz.bas", std::string(reinterpret_cast<const char*>(data), size)}}, diags, out);
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
