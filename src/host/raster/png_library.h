// libpng, loaded at its first use (host/raster/library_loader.h). Call its functions through
// libpng(): libpng().read_info(png, info) for png_read_info.
#pragma once

#include <csetjmp>
#include <cstdlib>
#include <png.h>

namespace quillet::host {

struct PngLibrary {
#define QUILLET_PNG_FUNCTION(name) decltype(&::png_##name) name = nullptr;
#include "host/raster/png_functions.def"
#undef QUILLET_PNG_FUNCTION
};

// Loads libpng on the first call.
const PngLibrary& libpng();

// png_jmpbuf(png) of png.h, through the loaded library: the buffer libpng's errors jump to.
inline std::jmp_buf& png_jump_buffer(png_structrp png) {
    return *libpng().set_longjmp_fn(png, std::longjmp, sizeof(std::jmp_buf));
}

// png_error(png, message) through the loaded library: it ends with a jump, never returning.
[[noreturn]] inline void png_fail(png_const_structrp png, png_const_charp message) {
    libpng().error(png, message);
    std::abort(); // not reached: libpng aborts itself when an error handler returns
}

} // namespace quillet::host
