#include "host/text/font_libraries.h"

#include "host/raster/library_loader.h"

namespace quillet::host {
namespace {

constexpr char freetype_soname[] = "libfreetype.so.6";
constexpr char fontconfig_soname[] = "libfontconfig.so.1";

FreetypeLibrary load_freetype() {
    void* handle = open_library(freetype_soname);
    FreetypeLibrary library;
#define QUILLET_FREETYPE_FUNCTION(name)                                                            \
    library.name = reinterpret_cast<decltype(library.name)>(                                       \
        library_function(handle, freetype_soname, "FT_" #name));
#include "host/text/freetype_functions.def"
#undef QUILLET_FREETYPE_FUNCTION
    return library;
}

FontconfigLibrary load_fontconfig() {
    void* handle = open_library(fontconfig_soname);
    FontconfigLibrary library;
#define QUILLET_FONTCONFIG_FUNCTION(name)                                                          \
    library.name = reinterpret_cast<decltype(library.name)>(                                       \
        library_function(handle, fontconfig_soname, "Fc" #name));
#include "host/text/fontconfig_functions.def"
#undef QUILLET_FONTCONFIG_FUNCTION
    return library;
}

} // namespace

const FreetypeLibrary& freetype() {
    static const FreetypeLibrary library = load_freetype();
    return library;
}

const FontconfigLibrary& fontconfig() {
    static const FontconfigLibrary library = load_fontconfig();
    return library;
}

} // namespace quillet::host
