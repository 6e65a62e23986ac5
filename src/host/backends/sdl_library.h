// SDL2, loaded when the SDL backend starts rather than with the engine: a program on the
// headless backend never maps SDL and the fifty libraries behind it, which were most of a bound
// program's start-up time.
#pragma once

#include <SDL.h>

namespace quillet::host {

struct SdlLibrary {
#define QUILLET_SDL_FUNCTION(name) decltype(&::SDL_##name) name = nullptr;
#include "host/backends/sdl_functions.def"
#undef QUILLET_SDL_FUNCTION
};

// Loads SDL2 on the first call; throws HostError saying what is missing when it cannot.
const SdlLibrary& sdl();

} // namespace quillet::host
