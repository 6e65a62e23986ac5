// The bound executable: an engine executable followed by an image and a 14-byte trailer
// (u32 image length, 0, "OS2Magic", 0).
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
void append_trailer(uint32_t image_length, std::vector<uint8_t>& out);

} // namespace quillet::bcode
