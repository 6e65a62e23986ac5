// Windows: the table of the layer's windows over the host's, the windows of window definitions,
// and the simple top-level windows with a paint handler whose keys the engine waits for.
#include "host/windows/frame.h"
#include "xvt/layer_state.h"
#include "xvt/window_procedure.h"
#include "xvt/xvt.h"

#include <string>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

LayerWindow* layer_window(XvtWindow window) {
    LayerWindow* record = app.window_table.find(window);
    if (!record || !app.windows) return nullptr;
    if (record->host != host::no_window && !app.windows->exists(record->host)) return nullptr;
    return record;
}

XvtWindow layer_handle(host::WindowId id) {
    auto it = app.by_host.find(id);
    return it == app.by_host.end() ? no_xvt_window : it->second;
}

XvtWindow add_layer_window(std::unique_ptr<LayerWindow> record) {
    return app.window_table.add(std::move(record));
}

void bind_host_window(XvtWindow window, host::WindowId id) {
    if (LayerWindow* record = app.window_table.find(window)) {
        record->host = id;
        app.by_host[id] = window;
    }
}

void forget_layer_window(XvtWindow window) {
    std::unique_ptr<LayerWindow> record = app.window_table.remove(window);
    if (!record) return;
    app.by_host.erase(record->host);
    if (app.guard_depth > 0 && record->handler)
        app.retired_handlers.push_back(std::move(record->handler));
    // The host kills the window's timers with it.
    for (XvtTimer timer : app.timers.handles()) {
        const LayerTimer* t = app.timers.find(timer);
        if (t && t->window == window) app.timers.remove(timer);
    }
}

LayerWindow* checked_window(XvtWindow window, std::string_view api, ErrorCategory category,
                            bool (*accepts)(const WindowTypeInfo&)) {
    LayerWindow* record = layer_window(window);
    const WindowTypeInfo* info = record ? xvt_window_type_info(record->type) : nullptr;
    if (!info || !accepts(*info)) {
        xvt_report_error(api, category, ErrorId::illegal_window);
        return nullptr;
    }
    return record;
}

} // namespace xvt_detail

namespace {

intptr_t paint_handler_procedure(host::WindowSystem& ws, const host::Message& m) {
    XvtWindow window = layer_handle(m.window);
    LayerWindow* record = layer_window(window);
    if (!record) return ws.default_procedure(m);
    // A printable key may arrive as its character alone (text input on a desktop).
    if (m.kind == host::Msg::key_down || m.kind == host::Msg::character) record->key_pressed = true;
    if (m.kind == host::Msg::destroy) {
        intptr_t result = ws.default_procedure(m);
        forget_layer_window(window);
        return result;
    }
    if (m.kind != host::Msg::paint) return ws.default_procedure(m);
    host::WindowSystem::PaintScope scope(ws, m.window);
    if (scope.valid() && record->paint) {
        scope.dc().state().font = ws.ui_font();
        record->painting = &scope.dc();
        record->paint(window);
        if (LayerWindow* still = layer_window(window)) still->painting = nullptr;
    }
    return 0;
}

// Any window or control of the layer, pixmaps included; else 0x20000001 for `api`.
LayerWindow* any_window(XvtWindow window, std::string_view api) {
    LayerWindow* record = layer_window(window);
    if (!record) xvt_report_error(api, ErrorCategory::vobj, ErrorId::illegal_window);
    return record;
}

host::WindowStyle style_of(int32_t type, uint32_t flags) {
    host::WindowStyle style;
    style.sizable = flags & xvt_win_flag::resizable;
    style.caption = flags & xvt_win_flag::caption;
    style.maximize_box = flags & xvt_win_flag::caption;
    style.minimize_box = flags & xvt_win_flag::minimize_box;
    if (flags & xvt_win_flag::overlapped) {
        style.caption = style.sizable = style.minimize_box = style.maximize_box = true;
    }
    style.hscroll = flags & xvt_win_flag::hscroll;
    style.vscroll = flags & xvt_win_flag::vscroll;
    style.thin_border = type == static_cast<int32_t>(WindowType::bordered);
    style.dialog_frame = type == static_cast<int32_t>(WindowType::dialog);
    return style;
}

} // namespace

const WindowTypeInfo* xvt_window_type_info(int32_t type) {
    static constexpr WindowTypeInfo types[] = {
#define X(type, name, menus, timers, drawing, creation)                                            \
    {type, #name, menus, timers, drawing, creation},
#include "xvt/window_types.def"
#undef X
    };
    for (const WindowTypeInfo& info : types)
        if (info.type == type) return &info;
    return nullptr;
}

std::optional<IntSize> xvt_screen_size() {
    host::WindowSystem* ws = window_system();
    if (!ws) return std::nullopt;
    return ws->screen_size();
}

XvtWindow xvt_win_create(const XvtWindowDef& def) {
    host::WindowSystem* ws = window_system();
    if (!ws) return no_xvt_window;
    host::WindowDef host_def;
    host_def.rect = def.rect;
    host_def.title = std::string(def.title);
    host_def.style.caption = def.caption;
    host_def.style.sizable = def.sizable;
    host_def.procedure = paint_handler_procedure;
    auto record = std::make_unique<LayerWindow>();
    record->paint = def.paint;
    XvtWindow window = add_layer_window(std::move(record));
    host::WindowId id = ws->create_window(host_def);
    if (id == host::no_window) {
        forget_layer_window(window);
        return no_xvt_window;
    }
    bind_host_window(window, id);
    return window;
}

XvtWindow xp_win_create_def(const XvtWinDef& def, XvtWindow parent, XvtEventHandler handler,
                            long data) {
    constexpr std::string_view api = "xp_win_create_def";
    const WindowTypeInfo* info = xvt_window_type_info(def.type);
    bool window_type = info && def.type != static_cast<int32_t>(WindowType::pixmap) &&
                       def.type != static_cast<int32_t>(WindowType::print);
    // The task window as parent makes a top-level window, as the desktop does.
    bool top_level = parent == no_xvt_window || parent == app.task_window;
    LayerWindow* parent_record = top_level ? nullptr : layer_window(parent);
    if (!window_type || (!top_level && !parent_record)) {
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::invalid_parameter);
        return no_xvt_window;
    }
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::host_null);
        return no_xvt_window;
    }
    host::WindowDef host_def;
    host_def.parent = parent_record ? parent_record->host : host::no_window;
    host_def.title = std::string(def.title);
    host_def.style = style_of(def.type, def.flags);
    host_def.visible = !(def.flags & xvt_win_flag::hidden);
    host_def.enabled = !(def.flags & xvt_win_flag::disabled);
    bool menu_bar = def.menu && !parent_record && info->menus;
    host::FrameInsets f = host::frame_insets(ws->metrics(), host_def.style, menu_bar);
    host_def.rect = {def.client.left - f.left, def.client.top - f.top, def.client.right + f.right,
                     def.client.bottom + f.bottom};
    host_def.procedure = layer_window_procedure;

    auto record = std::make_unique<LayerWindow>();
    record->type = def.type;
    record->parent = parent;
    if (handler) record->handler = std::make_unique<const XvtEventHandler>(std::move(handler));
    record->data = data;
    XvtWindow window = add_layer_window(std::move(record));
    // The record is found by the host window from its first message on: the creation message
    // arrives inside create_window.
    host_def.data = static_cast<intptr_t>(window);
    host::WindowId id = ws->create_window(host_def);
    if (id == host::no_window) {
        forget_layer_window(window);
        xvt_report_error(api, ErrorCategory::vobj, ErrorId::host_null);
        return no_xvt_window;
    }
    bind_host_window(window, id);
    if (menu_bar) xvt_menu_set_tree(window, def.menu);
    return window;
}

void xp_vobj_destroy(XvtWindow window) {
    if (LayerWindow* record = any_window(window, "xp_vobj_destroy"))
        if (record->host != host::no_window) app.windows->destroy_window(record->host);
}

int32_t xp_vobj_get_type(XvtWindow window) {
    LayerWindow* record = any_window(window, "xp_vobj_get_type");
    return record ? record->type : 0;
}

long xp_vobj_get_data(XvtWindow window) {
    LayerWindow* record = any_window(window, "xp_vobj_get_data");
    return record ? record->data : 0;
}

void xp_vobj_set_data(XvtWindow window, long data) {
    if (LayerWindow* record = any_window(window, "xp_vobj_set_data")) record->data = data;
}

void xvt_set_char_filter(CharFilter filter) {
    app.char_filter = filter;
}

void xvt_set_quit_allowed(bool allowed) {
    app.quit_allowed = allowed;
}

uint32_t xvt_host_window(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    return record ? record->host : host::no_window;
}

IntSize xvt_vobj_get_client_size(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    if (!record) return {};
    return app.windows->client_size(record->host);
}

XvtWindow xvt_scr_get_focus_vobj() {
    if (!app.windows) return no_xvt_window;
    // The focus may be on a control: its top-level window is the layer's window.
    for (host::WindowId id = app.windows->focus(); id != host::no_window;
         id = app.windows->parent(id))
        if (XvtWindow window = layer_handle(id); window != no_xvt_window) return window;
    return no_xvt_window;
}

void xvt_app_set_title(std::string_view title) {
    app.task_title = std::string(title);
}

std::string_view xvt_app_get_title() {
    return app.task_title;
}

bool xvt_scr_set_focus_vobj(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    if (!record) return false;
    app.windows->activate(app.windows->top_level_of(record->host));
    app.windows->set_focus(record->host);
    return true;
}

} // namespace quillet
