// The fuzzed entry: reads arbitrary bytes as an image and as a bound executable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::fuzz {

// Never crashes, never loops; aborts when an image that passes validation does not survive
// disassembly and reassembly byte for byte.
void read_image_bytes(const uint8_t* data, size_t size);

} // namespace quillet::fuzz
