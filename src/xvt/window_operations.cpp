// Window operations: title, visibility, enabling, geometry, z-order, parent, cursor, palette,
// focus and pointer capture of the layer's windows and controls, over their host windows.
#include "host/controls/controls.h"
#include "host/windows/frame.h"
#include "xvt/layer_state.h"
#include "xvt/text_edit.h"

#include <algorithm>
#include <cstring>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

LayerWindow* host_backed_window(XvtWindow window, std::string_view api, ErrorCategory category) {
    LayerWindow* record = layer_window(window);
    if (!record || record->host == host::no_window) {
        xvt_report_error(api, category, ErrorId::illegal_window);
        return nullptr;
    }
    return record;
}

} // namespace xvt_detail

namespace {

LayerWindow* vobj(XvtWindow window, std::string_view api) {
    return host_backed_window(window, api, ErrorCategory::vobj);
}

std::optional<host::CursorShape> cursor_shape(int32_t cursor) {
    switch (cursor) {
    case xvt_cursor::arrow: return host::CursorShape::arrow;
    case xvt_cursor::ibeam: return host::CursorShape::ibeam;
    case xvt_cursor::wait: return host::CursorShape::wait;
    case xvt_cursor::cross: return host::CursorShape::cross;
    default: return std::nullopt;
    }
}

} // namespace

XvtWindow xvt_win_get_ctl(XvtWindow window, int32_t control_id) {
    LayerWindow* record = vobj(window, "xvt_win_get_ctl");
    if (!record) return no_xvt_window;
    return layer_handle(host::control_by_id(*app.windows, record->host, control_id));
}

void xp_win_trap_pointer(XvtWindow window) {
    if (LayerWindow* record = vobj(window, "xp_win_trap_pointer"))
        app.windows->set_capture(record->host);
}

void xp_win_release_pointer() {
    if (app.windows) app.windows->release_capture();
}

void xp_win_set_cursor(XvtWindow window, int32_t cursor) {
    constexpr std::string_view api = "xp_win_set_cursor";
    LayerWindow* record = vobj(window, api);
    if (!record) return;
    std::optional<host::CursorShape> shape = cursor_shape(cursor);
    if (!shape) {
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::invalid_parameter);
        return;
    }
    record->cursor = cursor;
    app.windows->set_cursor(record->host, *shape);
}

int32_t xp_win_get_cursor(XvtWindow window) {
    LayerWindow* record = vobj(window, "xp_win_get_cursor");
    return record ? record->cursor : 0;
}

void xp_vobj_get_outer_rect(XvtWindow window, IntRect& rect) {
    if (LayerWindow* record = vobj(window, "xp_vobj_get_outer_rect"))
        rect = app.windows->outer_rect(record->host);
}

int32_t xp_vobj_get_title(XvtWindow window, std::span<char> buffer) {
    constexpr std::string_view api = "xp_vobj_get_title";
    LayerWindow* record = vobj(window, api);
    if (!record) return 0;
    if (buffer.empty()) {
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::invalid_parameter);
        return 0;
    }
    std::string title = app.windows->title(record->host);
    size_t n = std::min(title.size(), buffer.size() - 1);
    std::memcpy(buffer.data(), title.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void xp_vobj_set_title(XvtWindow window, std::string_view title) {
    if (LayerWindow* record = vobj(window, "xp_vobj_set_title"))
        app.windows->set_title(record->host, title);
}

void xp_vobj_set_visible(XvtWindow window, bool visible) {
    if (LayerWindow* record = vobj(window, "xp_vobj_set_visible"))
        app.windows->show_window(record->host, visible);
}

void xp_vobj_set_enabled(XvtWindow window, bool enabled) {
    LayerWindow* record = vobj(window, "xp_vobj_set_enabled");
    if (!record) return;
    app.windows->enable_window(record->host, enabled);
    // The layer draws its text edits itself, in the look of their state.
    if (record->text_edit) repaint(*record->text_edit);
}

void xp_vobj_move(XvtWindow window, const IntRect& client) {
    LayerWindow* record = vobj(window, "xp_vobj_move");
    if (!record) return;
    host::WindowSystem& ws = *app.windows;
    // The frame grows around the client area as at creation; controls have none.
    bool menu_bar = ws.parent(record->host) == host::no_window && ws.has_menu_bar(record->host);
    host::FrameInsets f = host::frame_insets(ws.metrics(), ws.style(record->host), menu_bar);
    ws.move_window(record->host, {client.left - f.left, client.top - f.top, client.right + f.right,
                                  client.bottom + f.bottom});
}

void xp_vobj_raise(XvtWindow window) {
    if (LayerWindow* record = vobj(window, "xp_vobj_raise"))
        app.windows->raise_window(record->host);
}

XvtWindow xp_vobj_get_parent(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    if (!record) {
        xvt_report_error("xp_vobj_get_parent", ErrorCategory::vobj, ErrorId::illegal_window);
        return no_xvt_window;
    }
    return record->parent;
}

void xp_vobj_set_palet(XvtWindow window, XvtPalette palette) {
    constexpr std::string_view api = "xp_vobj_set_palet";
    LayerWindow* record = checked_window(window, api, ErrorCategory::vobj,
                                         [](const WindowTypeInfo& t) { return t.drawing; });
    if (!record) return;
    const LayerPalette* p = app.palettes.find(palette);
    if (!p) {
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::invalid_parameter);
        return;
    }
    record->palette = p->colors;
}

std::vector<Color> xvt_vobj_get_palet(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    return record ? record->palette : std::vector<Color>{};
}

void xp_scr_set_focus_vobj(XvtWindow window) {
    LayerWindow* record = vobj(window, "xp_scr_set_focus_vobj");
    if (!record) return;
    app.windows->activate(app.windows->top_level_of(record->host));
    app.windows->set_focus(record->host);
}

} // namespace quillet
