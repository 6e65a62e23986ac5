#include "graphics/jpeg_library.h"

#include "host/raster/library_loader.h"

namespace quillet {
namespace {

// The library whose interface jpeglib.h describes.
static_assert(JPEG_LIB_VERSION == 62);
constexpr char soname[] = "libjpeg.so.62";

JpegLibrary load() {
    void* handle = host::open_library(soname);
    JpegLibrary library;
#define QUILLET_JPEG_FUNCTION(name)                                                                \
    library.name = reinterpret_cast<decltype(library.name)>(                                       \
        host::library_function(handle, soname, "jpeg_" #name));
#include "graphics/jpeg_functions.def"
#undef QUILLET_JPEG_FUNCTION
    return library;
}

} // namespace

const JpegLibrary& libjpeg() {
    static const JpegLibrary library = load();
    return library;
}

} // namespace quillet
