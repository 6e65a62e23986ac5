// The window procedure of the layer's windows: finds the layer's record of the host window,
// translates the message (event_translation.cpp) and delivers the event to the window's handler
// under the error guard, with the few messages whose handling is more than one event.
#include "xvt/window_procedure.h"

#include "xvt/error_guard.h"
#include "xvt/event_translation.h"
#include "xvt/layer_state.h"

namespace quillet::xvt_detail {

namespace {

// Delivers the event to the window's handler under the error guard. The handler may destroy its
// window, and the record with it: the handler itself is retired then (see leave_guard).
// Inline, as pointer moves take it on every message.
[[gnu::always_inline]] inline void deliver(const LayerWindow& record, XvtWindow window,
                                           const XvtEvent& event) {
    const XvtEventHandler* handler = record.handler.get();
    if (!handler) return;
    run_guarded([handler, window, &event] { (*handler)(window, event); });
}

void deliver_paint(host::WindowSystem& ws, XvtWindow window, host::WindowId id) {
    IntRect update;
    {
        host::WindowSystem::PaintScope scope(ws, id);
        if (!scope.valid()) return;
        update = scope.update_rect();
    }
    if (update.right <= update.left || update.bottom <= update.top) return;
    XvtEvent e;
    e.words = {static_cast<int32_t>(EventKind::update), update.left, update.top, update.right,
               update.bottom};
    if (const LayerWindow* record = app.window_table.find(window)) deliver(*record, window, e);
    if (ws.exists(id)) ws.mark_drawn(id);
}

// The keyboard focus inside a top-level window is kept while it is inactive.
void keep_focus(host::WindowSystem& ws, LayerWindow& record, bool active) {
    if (!active) {
        host::WindowId focus = ws.focus();
        if (focus != host::no_window && ws.top_level_of(focus) == record.host)
            record.saved_focus = focus;
    } else if (record.saved_focus != host::no_window && ws.exists(record.saved_focus)) {
        ws.set_focus(record.saved_focus);
    }
}

// Every message but pointer moves: the translation table, with the messages whose handling is
// more than one event.
[[gnu::noinline]] intptr_t deliver_message(host::WindowSystem& ws, const host::Message& m,
                                           XvtWindow window, LayerWindow* record) {
    if (m.kind == host::Msg::create) bind_host_window(window, m.window);

    switch (m.kind) {
    case host::Msg::paint: deliver_paint(ws, window, m.window); return 0;
    case host::Msg::destroy: {
        if (XvtEvent e; translate_message(ws, m, record->type, e)) deliver(*record, window, e);
        forget_layer_window(window);
        return ws.default_procedure(m);
    }
    case host::Msg::activate:
        keep_focus(ws, *record, m.value != 0);
        // Moving the focus sends messages, whose handlers may have destroyed the window.
        record = app.window_table.find(window);
        if (!record) return 0;
        break;
    case host::Msg::key_down: return ws.default_procedure(m); // its character message follows
    default: break;
    }

    XvtEvent e;
    if (!translate_message(ws, m, record->type, e)) return ws.default_procedure(m);
    if (e.kind() == EventKind::character && app.char_filter)
        app.char_filter(e.words[1], e.words[2], e.words[3]);
    deliver(*record, window, e);
    if (m.kind == host::Msg::query_end_session) return app.quit_allowed ? 1 : 0;
    return 0;
}

} // namespace

intptr_t layer_window_procedure(host::WindowSystem& ws, const host::Message& m) {
    auto window = static_cast<XvtWindow>(ws.data(m.window));
    LayerWindow* record = app.window_table.find(window);
    if (!record) return ws.default_procedure(m);
    // Pointer moves, the most frequent message, take the shortest way.
    if (m.kind == host::Msg::mouse_move) {
        XvtEvent e;
        translate_pointer(e, EventKind::mouse_move, m);
        deliver(*record, window, e);
        return 0;
    }
    return deliver_message(ws, m, window, record);
}

} // namespace quillet::xvt_detail
