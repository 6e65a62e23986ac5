#include "xvt/cairo_library.h"

#include <dlfcn.h>
#include <optional>

namespace quillet::xvt_detail {
namespace {

std::optional<CairoLibrary> load() {
    // The library stays loaded for the rest of the process, as a linked one would.
    void* handle = dlopen("libcairo.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return std::nullopt;
    CairoLibrary library;
#define QUILLET_CAIRO_FUNCTION(name)                                                               \
    library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, "cairo_" #name));        \
    if (!library.name) return std::nullopt;
#include "xvt/cairo_functions.def"
#undef QUILLET_CAIRO_FUNCTION
    return library;
}

} // namespace

const CairoLibrary* cairo() {
    static const std::optional<CairoLibrary> library = load();
    return library ? &*library : nullptr;
}

} // namespace quillet::xvt_detail
