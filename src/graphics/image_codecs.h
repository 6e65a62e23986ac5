// The encoders behind encode_image_file (private to the graphics layer).
#pragma once

#include "host/raster/surface.h"

#include <cstdint>
#include <vector>

namespace quillet {

// 8-bit RGB, top row first, no interlace.
std::vector<uint8_t> encode_png(const Surface& surface);

} // namespace quillet
