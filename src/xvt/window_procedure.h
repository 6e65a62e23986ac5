// The window procedure of the layer's windows (private to the layer).
#pragma once

#include "host/windows/window_system.h"

namespace quillet::xvt_detail {

// Translates one host message into a layer event and delivers it to the window's handler under
// the error guard; what the event table does not name gets the host's default handling.
intptr_t layer_window_procedure(host::WindowSystem& ws, const host::Message& m);

} // namespace quillet::xvt_detail
