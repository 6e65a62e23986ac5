// Dialogs: message boxes.
#include "host/controls/dialogs.h"

#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <cstdio>

namespace quillet {

using namespace xvt_detail;

namespace {

host::MessageBoxKind host_kind(MessageKind kind) {
    switch (kind) {
    case MessageKind::note: return host::MessageBoxKind::note;
    case MessageKind::error: return host::MessageBoxKind::error;
    case MessageKind::fatal: return host::MessageBoxKind::fatal;
    }
    return host::MessageBoxKind::note;
}

} // namespace

// A real modal box on every backend, also before any window exists (the window system is made
// on first need); the headless backend also writes the box's line to standard error. Without a
// backend (a run that never opened the application) the box is its line on standard error.
void xvt_dm_post_message(MessageKind kind, std::string_view text) {
    if (host::WindowSystem* ws = window_system())
        host::message_box(*ws, host_kind(kind), text, product_title);
    else
        std::fputs(host::message_box_echo_line(host_kind(kind), text).c_str(), stderr);
}

} // namespace quillet
