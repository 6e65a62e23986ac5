// The windowing layer's own state, shared by its area files (private to the layer): the
// application, its window system and the table of the layer's windows.
#pragma once

#include "host/raster/device_context.h"
#include "host/windows/backend.h"
#include "host/windows/window_system.h"
#include "xvt/xvt.h"

#include <memory>
#include <unordered_map>

namespace quillet::xvt_detail {

// What the layer keeps for each of its windows (keyed by the host's window identifier, which is
// the layer's handle).
struct LayerWindow {
    PaintHandler paint;
    DeviceContext* painting = nullptr; // while the paint handler runs
    bool key_pressed = false;
};

struct AppState {
    TaskEventHandler handler = nullptr;
    unsigned empty_peeks = 0;
    std::unique_ptr<host::Backend> backend; // until the window system takes it
    std::unique_ptr<host::WindowSystem> windows;
    std::unordered_map<XvtWindow, LayerWindow> window_table;
};

inline AppState app;

// Acts on a SIGINT or SIGTERM that arrived since (see xvt_catch_interrupts).
void check_interrupt();

// The window system, made on first use, so that a program that never opens a window starts
// fast; nullptr when the application has no backend (a run without xvt_app_open or
// xvt_app_create, as the fuzz target does).
host::WindowSystem* window_system();

// The layer's record of a window that still exists; nullptr for a stale or forged handle.
LayerWindow* layer_window(XvtWindow window);

} // namespace quillet::xvt_detail
