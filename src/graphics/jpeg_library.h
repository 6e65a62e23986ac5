// libjpeg, loaded at its first use (host/raster/library_loader.h). Call its functions through
// libjpeg(): libjpeg().read_header(&cinfo, TRUE) for jpeg_read_header.
#pragma once

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

namespace quillet {

struct JpegLibrary {
#define QUILLET_JPEG_FUNCTION(name) decltype(&::jpeg_##name) name = nullptr;
#include "graphics/jpeg_functions.def"
#undef QUILLET_JPEG_FUNCTION
};

// Loads libjpeg on the first call.
const JpegLibrary& libjpeg();

} // namespace quillet
