#include "host/backends/sdl_library.h"

#include "host/backends/host_error.h"

#include <dlfcn.h>
#include <string>

namespace quillet::host {
namespace {

SdlLibrary load() {
    // The library stays loaded for the rest of the process, as a linked one would.
    void* handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw HostError(std::string("sdl: cannot load SDL2: ") + dlerror());
    SdlLibrary library;
#define QUILLET_SDL_FUNCTION(name)                                                                 \
    library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, "SDL_" #name));          \
    if (!library.name) throw HostError("sdl: SDL2 has no SDL_" #name);
#include "host/backends/sdl_functions.def"
#undef QUILLET_SDL_FUNCTION
    return library;
}

} // namespace

const SdlLibrary& sdl() {
    static const SdlLibrary library = load();
    return library;
}

} // namespace quillet::host
