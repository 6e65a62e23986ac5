// The bound executable: an engine executable followed by an image and a 14-byte trailer
// (u32 image length, 0, "OS2Magic", 0). Ours also hold the image in an ELF section
// (bcode/elf_sections.h), where it survives stripping, which drops the trailer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillet::bcode {

inline constexpr size_t trailer_size = 14;

bool has_trailer(std::span<const uint8_t> file);
// The image bytes of a bound executable; throws FormatError when there is no trailer or its
// length does not fit the file.
std::span<const uint8_t> bound_image(std::span<const uint8_t> file);
// The image of a bound executable in either form: the trailer's, else the ELF image section's.
// Throws FormatError when the file has neither, or the one it has does not fit the file.
std::span<const uint8_t> find_bound_image(std::span<const uint8_t> file);
// True when the file has a trailer or an ELF image section (which may still be damaged).
bool carries_bound_image(std::span<const uint8_t> file);
void append_trailer(uint32_t image_length, std::vector<uint8_t>& out);

} // namespace quillet::bcode
