// The image reader, the bound-image reader and the disassembler over arbitrary bytes.
#include "assembler.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "disassembler.h"
#include "entries.h"

#include <cstdio>
#include <cstdlib>
#include <span>

namespace quillet::fuzz {

void read_image_bytes(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    try {
        if (bcode::has_trailer(bytes)) bcode::validate_image(bcode::bound_image(bytes));
    } catch (const bcode::FormatError&) {
    }
    bcode::Image image;
    try {
        image = bcode::read_image(bytes);
    } catch (const bcode::FormatError&) {
        return; // refused with a message: the expected outcome for most inputs
    }
    if (bcode::write_image(image) != std::vector<uint8_t>(bytes.begin(), bytes.end())) {
        std::fprintf(stderr, "read_image/write_image changed a valid image\n");
        std::abort();
    }
    std::string text = tools::disassemble(bytes, "fuzz.img");
    if (tools::assemble_bytes(text, "fuzz.qba") !=
        std::vector<uint8_t>(bytes.begin(), bytes.end())) {
        std::fprintf(stderr, "disassembly does not reassemble to the image:\n%s\n", text.c_str());
        std::abort();
    }
}

} // namespace quillet::fuzz
