// Dialogs: message boxes.
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

void xvt_dm_post_message(MessageKind kind, std::string_view text) {
    if (app.headless && !app.windows) {
        std::fputs(host::message_box_echo_line(host_kind(kind), text).c_str(), stderr);
        std::fflush(stderr);
        return;
    }
    if (host::WindowSystem* ws = window_system())
        ws->message_box(host_kind(kind), text, product_title);
}

} // namespace quillet
