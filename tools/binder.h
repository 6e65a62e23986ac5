// Binding an image to an engine executable and extracting it again.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillet::tools {

// The engine's bytes followed by the image and its trailer; an ELF engine also gets the image
// section (`in_section` tells whether it did: an engine with no ELF section table does not). An
// engine that already carries an image has it replaced; `replaced` tells the caller. Throws
// bcode::FormatError for a malformed image or a damaged ELF engine.
std::vector<uint8_t> bind_image(std::span<const uint8_t> engine, std::span<const uint8_t> image,
                                bool& replaced, bool* in_section = nullptr);

// The image of a bound executable, by its trailer or its image section; with `check` it must also
// be a well-formed image. Throws bcode::FormatError.
std::vector<uint8_t> unbind_image(std::span<const uint8_t> executable, bool check);

} // namespace quillet::tools
