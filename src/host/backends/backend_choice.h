// The choice of a backend at start-up.
#pragma once

#include "host/windows/backend.h"

#include <memory>
#include <string>

namespace quillet::host {

// The backend QUILLET_BACKEND names ("sdl" or "headless"); without it, "sdl" when a display is
// available and "headless" otherwise. Throws HostError for an unknown name, a backend that
// cannot start, or a malformed input script.
std::unique_ptr<Backend> create_backend_from_environment();

// The name of the backend that create_backend_from_environment would start.
std::string chosen_backend_name();

} // namespace quillet::host
