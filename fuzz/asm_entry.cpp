// The assembler over arbitrary source text, as `quillet asm` runs it.
#include "asm_error.h"
#include "assembler.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "disassembler.h"
#include "entries.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quillet::fuzz {

void assemble_text(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> warnings;
    std::vector<uint8_t> image;
    try {
        image = tools::assemble_bytes(text, "fuzz.qba", &warnings);
    } catch (const tools::AsmError&) {
        return; // refused with FILE:LINE: message, the outcome for most inputs
    }
    // The assembler writes what its `raw` forms say, so that tests can build images the engine
    // refuses; only an image that validates must round-trip.
    try {
        bcode::read_image(image);
    } catch (const bcode::FormatError&) {
        return;
    }
    // A disassembly that does not reproduce the image throws, which is a finding.
    const std::string again = tools::disassemble(image, "fuzz.img");
    if (tools::assemble_bytes(again, "fuzz.qba") != image) {
        std::fprintf(stderr, "the disassembly of an assembled image does not reassemble:\n%s\n",
                     again.c_str());
        std::abort();
    }
}

} // namespace quillet::fuzz
