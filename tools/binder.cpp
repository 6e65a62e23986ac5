#include "binder.h"

#include "bcode/elf_sections.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"

namespace quillet::tools {

using namespace bcode;

std::vector<uint8_t> bind_image(std::span<const uint8_t> engine, std::span<const uint8_t> image,
                                bool& replaced, bool* in_section) {
    validate_image(image);
    replaced = carries_bound_image(engine);
    // An ELF engine gets the image in a section of its own, which strip keeps; the image still
    // ends right before the trailer, for the tools that only know the trailer. An old image and
    // trailer lie outside every section and segment, so they are left out with the old tables.
    std::optional<std::vector<uint8_t>> elf = with_image_section(engine, image);
    if (in_section) *in_section = elf.has_value();
    std::vector<uint8_t> out;
    if (elf) {
        out = std::move(*elf);
    } else {
        if (has_trailer(engine)) {
            std::span<const uint8_t> old = bound_image(engine);
            engine = engine.first(size_t(old.data() - engine.data()));
        }
        out.assign(engine.begin(), engine.end());
        out.insert(out.end(), image.begin(), image.end());
    }
    append_trailer(uint32_t(image.size()), out);
    return out;
}

std::vector<uint8_t> unbind_image(std::span<const uint8_t> executable, bool check) {
    std::span<const uint8_t> image = find_bound_image(executable);
    if (check) {
        try {
            validate_image(image);
        } catch (const FormatError& e) {
            throw FormatError(std::string("the bound image is not well-formed: ") + e.what() +
                              " (use --no-check to extract it anyway)");
        }
    }
    return {image.begin(), image.end()};
}

} // namespace quillet::tools
