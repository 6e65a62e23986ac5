#include "bcode/trailer.h"

#include "bcode/byte_reader.h"
#include "bcode/elf_sections.h"
#include "bcode/format_error.h"

#include <cstring>
#include <string>

namespace quillet::bcode {

namespace {
constexpr char magic_text[] = "OS2Magic";
}

bool has_trailer(std::span<const uint8_t> file) {
    if (file.size() < trailer_size) return false;
    // As the engine does: the last nine bytes are "OS2Magic" and its NUL.
    const uint8_t* t = file.data() + file.size() - 9;
    return std::memcmp(t, magic_text, 9) == 0;
}

std::span<const uint8_t> bound_image(std::span<const uint8_t> file) {
    if (!has_trailer(file))
        throw FormatError("no bound image: the file does not end with the 14-byte trailer "
                          "(image length, 0, \"OS2Magic\", 0)");
    uint32_t length = get_u32le(file.data() + file.size() - trailer_size);
    size_t room = file.size() - trailer_size;
    if (length > room)
        throw FormatError("the trailer gives an image of " + std::to_string(length) +
                          " bytes but only " + std::to_string(room) + " bytes precede it");
    return file.subspan(room - length, length);
}

std::span<const uint8_t> find_bound_image(std::span<const uint8_t> file) {
    if (has_trailer(file)) return bound_image(file);
    std::optional<ElfFile> elf = read_elf(file);
    std::optional<size_t> index = elf ? image_section(*elf) : std::nullopt;
    if (!index)
        throw FormatError("no bound image: the file neither ends with the 14-byte trailer (image "
                          "length, 0, \"OS2Magic\", 0) nor has an ELF section " +
                          std::string(image_section_name));
    const ElfSection& s = elf->sections[*index];
    return file.subspan(size_t(s.offset), size_t(s.size));
}

bool carries_bound_image(std::span<const uint8_t> file) {
    if (has_trailer(file)) return true;
    try {
        std::optional<ElfFile> elf = read_elf(file);
        return elf && image_section(*elf);
    } catch (const FormatError&) {
        return true; // a damaged one: its reader says what is wrong
    }
}

void append_trailer(uint32_t image_length, std::vector<uint8_t>& out) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(image_length >> shift));
    out.push_back(0);
    out.insert(out.end(), magic_text, magic_text + 8);
    out.push_back(0);
}

} // namespace quillet::bcode
