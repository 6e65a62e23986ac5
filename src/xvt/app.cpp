// The application seam over the host window system. The backend is chosen when the application
// starts; the window system itself (fonts and all) is made only when a window is needed, so that
// a program that never opens one starts fast. Until then a message box on the headless backend
// is its line on standard error alone.
#include "host/backends/backend_choice.h"
#include "host/backends/host_error.h"
#include "host/windows/window_system.h"
#include "xvt/xvt.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace quillet {
namespace {

struct AppState {
    TaskEventHandler handler = nullptr;
    unsigned empty_peeks = 0;
    std::unique_ptr<host::Backend> backend; // until the window system takes it
    bool headless = true;
    std::unique_ptr<host::WindowSystem> windows;
};

AppState app;

host::MessageBoxKind host_kind(MessageKind kind) {
    switch (kind) {
    case MessageKind::note: return host::MessageBoxKind::note;
    case MessageKind::error: return host::MessageBoxKind::error;
    case MessageKind::fatal: return host::MessageBoxKind::fatal;
    }
    return host::MessageBoxKind::note;
}

// The window system, made on first use; nullptr when the application has no backend (a run
// without xvt_app_create, as the fuzz target does).
host::WindowSystem* window_system() {
    if (!app.windows && app.backend)
        app.windows = std::make_unique<host::WindowSystem>(std::move(app.backend));
    return app.windows.get();
}

constexpr std::string_view default_window_title = "Quillet BASIC Amber Edition";

} // namespace

void xvt_app_create(int, char**, long, TaskEventHandler handler, const AppConfig&) {
    try {
        app.backend = host::create_backend_from_environment();
    } catch (const host::HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return; // the task window cannot be created
    }
    app.headless = std::string_view(app.backend->name()) == "headless";
    app.handler = handler;
    handler(0, xvt_event_create);
}

void xvt_dm_post_message(MessageKind kind, std::string_view text) {
    if (app.headless && !app.windows) {
        std::fputs(host::message_box_echo_line(host_kind(kind), text).c_str(), stderr);
        std::fflush(stderr);
        return;
    }
    if (host::WindowSystem* ws = window_system()) ws->message_box(host_kind(kind), text);
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

bool xvt_wait_for_key() {
    host::WindowSystem* ws = window_system();
    if (!ws) return false;
    bool pressed = false;
    IntSize screen = ws->screen_size();
    host::WindowDef def;
    def.rect = {40, 80, screen.width - 40, screen.height - 40};
    def.title = std::string(default_window_title);
    def.style.caption = def.style.sizable = true;
    def.procedure = [&pressed](host::WindowSystem& w, const host::Message& m) -> intptr_t {
        // A printable key may arrive as its character alone (text input on a desktop).
        if (m.kind == host::Msg::key_down || m.kind == host::Msg::character) pressed = true;
        if (m.kind != host::Msg::paint) return w.default_procedure(m);
        host::WindowSystem::PaintScope scope(w, m.window);
        if (scope.valid()) {
            scope.dc().state().font = w.ui_font();
            scope.dc().draw_text({1, int(w.client_size(m.window).height) - 10}, "Press any key.");
        }
        return 0;
    };
    host::WindowId window = ws->create_window(def);
    if (window == host::no_window) return false;
    ws->activate(window);
    ws->set_focus(window);
    // Until a key, the window's end (its close box) or the end of the session.
    host::Message m;
    while (!pressed && ws->exists(window) && ws->get(m))
        ws->dispatch(m);
    return pressed;
}

void xvt_app_destroy() {
    app.windows.reset();
    app.backend.reset();
}

} // namespace quillet
