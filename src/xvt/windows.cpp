// Windows: the layer's top-level windows over the host's, with their paint handlers and the
// keys that reach them.
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <string>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

LayerWindow* layer_window(XvtWindow window) {
    if (!app.windows || !app.windows->exists(window)) return nullptr;
    auto it = app.window_table.find(window);
    return it == app.window_table.end() ? nullptr : &it->second;
}

} // namespace xvt_detail

namespace {

intptr_t layer_window_procedure(host::WindowSystem& ws, const host::Message& m) {
    LayerWindow* record = layer_window(m.window);
    if (!record) return ws.default_procedure(m);
    // A printable key may arrive as its character alone (text input on a desktop).
    if (m.kind == host::Msg::key_down || m.kind == host::Msg::character) record->key_pressed = true;
    if (m.kind == host::Msg::destroy) {
        intptr_t result = ws.default_procedure(m);
        app.window_table.erase(m.window);
        return result;
    }
    if (m.kind != host::Msg::paint) return ws.default_procedure(m);
    host::WindowSystem::PaintScope scope(ws, m.window);
    if (scope.valid() && record->paint) {
        scope.dc().state().font = ws.ui_font();
        record->painting = &scope.dc();
        record->paint(m.window);
        if (LayerWindow* still = layer_window(m.window)) still->painting = nullptr;
    }
    return 0;
}

} // namespace

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
    host_def.procedure = layer_window_procedure;
    host::WindowId id = ws->create_window(host_def);
    if (id == host::no_window) return no_xvt_window;
    app.window_table.insert_or_assign(id, LayerWindow{def.paint});
    return id;
}

IntSize xvt_vobj_get_client_size(XvtWindow window) {
    if (!layer_window(window)) return {};
    return app.windows->client_size(window);
}

bool xvt_scr_set_focus_vobj(XvtWindow window) {
    if (!layer_window(window)) return false;
    app.windows->activate(window);
    app.windows->set_focus(window);
    return true;
}

} // namespace quillet
