// PNG chunks for the png_reader target: libpng refuses a chunk whose CRC is wrong before it
// looks at the chunk, so almost every mutated input would end at that check. The target makes
// every CRC right first, and its mutator does so after each mutation, so that the corpus holds
// PNG files that the reader takes as they stand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::fuzz {

// Writes the right CRC (over type and data) into every chunk after the 8-byte signature that
// lies whole within the bytes; stops at the first chunk that runs past their end.
void make_png_crcs_right(uint8_t* data, size_t size);

} // namespace quillet::fuzz
