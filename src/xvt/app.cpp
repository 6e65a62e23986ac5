// Application and events: the application over the host window system, the host-message pump
// and the wait for a key. The backend is chosen when the application starts; the window system
// itself (fonts and all) is made only when a window or a message box is needed.
#include "host/backends/backend_choice.h"
#include "host/backends/host_error.h"
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace quillet {

namespace {

// Set by the signal handler, acted on outside it.
volatile std::sig_atomic_t pending_signal = 0;
void (*interrupt_handler)(int) = nullptr;

void mark_signal(int signal) {
    pending_signal = signal;
}

} // namespace

namespace xvt_detail {

void check_interrupt() {
    if (pending_signal && interrupt_handler) interrupt_handler(pending_signal);
}

host::WindowSystem* window_system() {
    if (!app.windows && app.backend) {
        app.windows = std::make_unique<host::WindowSystem>(std::move(app.backend));
        app.windows->set_wait_hook(check_interrupt);
        create_task_host_window(*app.windows);
    }
    return app.windows.get();
}

} // namespace xvt_detail

using namespace xvt_detail;

void xvt_catch_interrupts(void (*on_interrupt)(int signal)) {
    interrupt_handler = on_interrupt;
    struct sigaction action {};
    action.sa_handler = mark_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // file transfers go on; waits end within 100 ms anyway
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool xvt_app_open() {
    if (app.windows || app.backend) return true;
    try {
        app.backend = host::create_backend_from_environment();
        return true;
    } catch (const host::HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
}

void xvt_app_destroy() {
    // The windows go first (their table's handlers may be what they call last), then the rest.
    app.windows.reset();
    app = AppState{};
}

namespace {

// Takes and dispatches pending host messages; false when there was none.
bool take_host_messages() {
    check_interrupt();
    host::WindowSystem* ws = app.windows.get();
    if (!ws) return false;
    host::Message m;
    bool any = false;
    while (ws->peek(m, true)) {
        any = true;
        if (std::optional<int32_t> tag = accelerator_command(m))
            ws->post({ws->top_level_of(m.window), host::Msg::command, *tag, 0, 0, {}, m.modifiers});
        else
            ws->dispatch(m);
    }
    return any;
}

} // namespace

void process_host_messages() {
    if (take_host_messages()) {
        app.empty_peeks = 0;
        return;
    }
    // Peeking costs little, but a built-in that polls must not spin the processor: sleep 1 ms
    // after 10000 empty peeks in a row.
    if (++app.empty_peeks >= 10000) {
        app.empty_peeks = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void dispatch_host_messages() {
    if (take_host_messages()) app.empty_peeks = 0;
}

void xvt_app_program_ending() {
    if (app.windows) app.windows->backend().program_ending();
}

bool xvt_wait_message() {
    check_interrupt();
    host::WindowSystem* ws = app.windows.get();
    if (!ws) return false;
    host::Message m;
    if (!ws->get(m)) return false;
    ws->dispatch(m);
    app.empty_peeks = 0;
    return true;
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
