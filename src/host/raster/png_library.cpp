#include "host/raster/png_library.h"

#include "host/raster/library_loader.h"

namespace quillet::host {
namespace {

// The library whose interface png.h describes.
static_assert(PNG_LIBPNG_VER_SONUM == 16);
constexpr char soname[] = "libpng16.so.16";

PngLibrary load() {
    void* handle = open_library(soname);
    PngLibrary library;
#define QUILLET_PNG_FUNCTION(name)                                                                 \
    library.name =                                                                                 \
        reinterpret_cast<decltype(library.name)>(library_function(handle, soname, "png_" #name));
#include "host/raster/png_functions.def"
#undef QUILLET_PNG_FUNCTION
    return library;
}

} // namespace

const PngLibrary& libpng() {
    static const PngLibrary library = load();
    return library;
}

} // namespace quillet::host
