// Surfaces as 8-bit RGB PNG files: window snapshots and golden pictures.
#pragma once

#include "host/raster/surface.h"

#include <string>

namespace quillet {

// Both refuse with RasterError (code file) when the file cannot be written or read.
void write_png(const Surface& surface, const std::string& path);
// Alpha, where the file has it, is composited over black.
Surface read_png(const std::string& path);

} // namespace quillet
