// Clipboard text over the host's clipboard (which a desktop backend shares with other programs).
#include "xvt/host_clipboard.h"
#include "xvt/layer_state.h"

namespace quillet {

using namespace xvt_detail;

namespace {

host::Clipboard* clipboard(std::string_view api) {
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error(api, ErrorCategory::clip, ErrorId::host_null);
        return nullptr;
    }
    return &ws->clipboard();
}

} // namespace

void xp_clip_put_text(std::string_view text) {
    if (host::Clipboard* c = clipboard("xp_clip_put_text")) c->set_text(text);
}

bool xp_clip_has_text() {
    host::Clipboard* c = clipboard("xp_clip_has_text");
    return c && c->has_text();
}

std::string xp_clip_get_text() {
    host::Clipboard* c = clipboard("xp_clip_get_text");
    return c ? c->text() : std::string();
}

int32_t xp_clip_get_text_length() {
    host::Clipboard* c = clipboard("xp_clip_get_text_length");
    return c ? static_cast<int32_t>(c->text().size()) : 0;
}

host::Clipboard* xvt_host_clipboard() {
    host::WindowSystem* ws = window_system();
    return ws ? &ws->clipboard() : nullptr;
}

void xp_clip_clear() {
    if (host::Clipboard* c = clipboard("xp_clip_clear")) c->clear();
}

} // namespace quillet
