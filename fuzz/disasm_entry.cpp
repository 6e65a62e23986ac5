// The disassembler over arbitrary images. The input is an image without its bif override table
// (2048 bytes between the header and the code area, mostly zero in real images, which would take
// most mutations): the table is put back as zeros.
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

void disassemble_image(const uint8_t* data, size_t size) {
    if (size < bcode::header_size) return;
    std::vector<uint8_t> image(data, data + bcode::header_size);
    image.resize(bcode::code_area_offset);
    image.insert(image.end(), data + bcode::header_size, data + size);
    try {
        bcode::read_image(image);
    } catch (const bcode::FormatError&) {
        return; // refused with a message naming the field: the outcome for most inputs
    }
    // A disassembly that does not reproduce the image throws, which is a finding; so is text
    // that the assembler refuses.
    const std::string text = tools::disassemble(image, "fuzz.img");
    std::vector<uint8_t> again;
    try {
        again = tools::assemble_bytes(text, "fuzz.qba");
    } catch (const tools::AsmError& e) {
        std::fprintf(stderr, "the disassembly does not assemble: %s\n%s\n", e.what(), text.c_str());
        std::abort();
    }
    if (again != image) {
        std::fprintf(stderr, "the disassembly assembles to other bytes:\n%s\n", text.c_str());
        std::abort();
    }
}

} // namespace quillet::fuzz
