// Application and events: the application over the host window system, the host-message pump
// and the wait for a key. The backend is chosen when the application starts; the window system
// itself (fonts and all) is made only when a window or a message box is needed.
#include "host/backends/backend_choice.h"
#include "host/backends/host_error.h"
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace quillet {

namespace xvt_detail {
namespace {

// Chooses the backend once; false (with the reason on standard error) when none can be used.
bool have_backend() {
    if (app.windows || app.backend) return true;
    try {
        app.backend = host::create_backend_from_environment();
        return true;
    } catch (const host::HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
}

} // namespace

host::WindowSystem* window_system() {
    // Also needed before the application exists: a box about an image that cannot run.
    if (!have_backend()) return nullptr;
    if (!app.windows) app.windows = std::make_unique<host::WindowSystem>(std::move(app.backend));
    return app.windows.get();
}

} // namespace xvt_detail

using namespace xvt_detail;

void xvt_app_create(int, char**, long, TaskEventHandler handler, const AppConfig&) {
    if (!have_backend()) return; // the task window cannot be created
    app.handler = handler;
    handler(0, xvt_event_create);
}

void xvt_app_destroy() {
    // The windows go first (their table's handlers may be what they call last), then the rest.
    app.windows.reset();
    app = AppState{};
}

void process_host_messages() {
    if (host::WindowSystem* ws = app.windows.get()) {
        host::Message m;
        bool any = false;
        while (ws->peek(m, true)) {
            any = true;
            ws->dispatch(m);
        }
        if (any) {
            app.empty_peeks = 0;
            return;
        }
    }
    // Peeking costs little, but a program that polls must not spin the processor: sleep 1 ms
    // after 10000 empty peeks in a row.
    if (++app.empty_peeks >= 10000) {
        app.empty_peeks = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool xvt_win_wait_for_key(XvtWindow window) {
    host::WindowSystem* ws = app.windows.get();
    LayerWindow* record = layer_window(window);
    if (!ws || !record) return false;
    record->key_pressed = false;
    // Until a key, the window's end or the end of the session. The record is looked up anew
    // after each message: a handler may have destroyed the window.
    host::Message m;
    while (layer_window(window) && ws->get(m)) {
        ws->dispatch(m);
        record = layer_window(window);
        if (record && record->key_pressed) return true;
    }
    return false;
}

} // namespace quillet
