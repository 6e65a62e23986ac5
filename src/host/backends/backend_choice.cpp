// Start-up choice of the backend: QUILLET_BACKEND, else the desktop when one is reachable.
#include "host/backends/backend_choice.h"

#include "host/backends/headless_backend.h"
#include "host/backends/host_error.h"
#include "host/backends/sdl_backend.h"

#include <cstdlib>
#include <string>

namespace quillet::host {

std::string chosen_backend_name() {
    const char* chosen = std::getenv("QUILLET_BACKEND");
    if (chosen && *chosen) return chosen;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland) ? "sdl" : "headless";
}

std::unique_ptr<Backend> create_backend_from_environment() {
    const std::string name = chosen_backend_name();
    if (name == "headless")
        return std::make_unique<HeadlessBackend>(HeadlessOptions::from_environment());
    if (name == "sdl") return std::make_unique<SdlBackend>();
    throw HostError("QUILLET_BACKEND: unknown backend \"" + name + "\" (sdl or headless)");
}

} // namespace quillet::host
