// cairo, loaded when the first document is printed rather than with the engine: a program that
// prints nothing never maps cairo and the X libraries behind it (private to the layer).
#pragma once

#include <cairo-pdf.h>
#include <cairo.h>

namespace quillet::xvt_detail {

struct CairoLibrary {
#define QUILLET_CAIRO_FUNCTION(name) decltype(&::cairo_##name) name = nullptr;
#include "xvt/cairo_functions.def"
#undef QUILLET_CAIRO_FUNCTION
};

// Loads cairo on the first call; nullptr when it or one of its functions is missing (and on every
// later call).
const CairoLibrary* cairo();

} // namespace quillet::xvt_detail
