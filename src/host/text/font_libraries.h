// FreeType and fontconfig, loaded at their first use (host/raster/library_loader.h): a program
// that draws no text never maps them. Call their functions through freetype() and fontconfig():
// freetype().Load_Glyph(...) for FT_Load_Glyph, fontconfig().FontMatch(...) for FcFontMatch.
#pragma once

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace quillet::host {

struct FreetypeLibrary {
#define QUILLET_FREETYPE_FUNCTION(name) decltype(&::FT_##name) name = nullptr;
#include "host/text/freetype_functions.def"
#undef QUILLET_FREETYPE_FUNCTION
};

struct FontconfigLibrary {
#define QUILLET_FONTCONFIG_FUNCTION(name) decltype(&::Fc##name) name = nullptr;
#include "host/text/fontconfig_functions.def"
#undef QUILLET_FONTCONFIG_FUNCTION
};

// Each loads its library on the first call.
const FreetypeLibrary& freetype();
const FontconfigLibrary& fontconfig();

} // namespace quillet::host
