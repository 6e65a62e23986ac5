// The application seam on the headless backend: no display, no input yet.
#include "xvt/xvt.h"

#include "host/window_system.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace quillet {
namespace {

struct AppState {
    TaskEventHandler handler = nullptr;
    unsigned empty_peeks = 0;
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

} // namespace

void xvt_app_create(int, char**, long, TaskEventHandler handler, const AppConfig&) {
    app.handler = handler;
    handler(0, xvt_event_create);
}

void xvt_dm_post_message(MessageKind kind, std::string_view text) {
    std::fputs(host::message_box_echo_line(host_kind(kind), text).c_str(), stderr);
    std::fflush(stderr);
}

void process_host_messages() {
    // No host messages exist without a display; keep the documented pacing of empty peeks.
    if (++app.empty_peeks >= 10000) {
        app.empty_peeks = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool xvt_wait_for_key() {
    return false;
}

void xvt_app_destroy() {}

} // namespace quillet
