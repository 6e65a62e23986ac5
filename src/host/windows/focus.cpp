// Activation of top-level windows, keyboard focus, mouse capture, the caret and cursor shapes.
#include "host/windows/backend.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

namespace quillet::host {

bool WindowSystem::activate(WindowId top) {
    WindowRecord* w = record(top);
    if (!w || w->parent != no_window || !w->visible) return false;
    if (m_active == top) return true;
    WindowId old = m_active;
    m_active = top;
    raise_window(top);
    if (exists(old)) {
        send({old, Msg::activate, 0, 0});
        mark_top_drawn(old);
    }
    if (!exists(top)) return false;
    send({top, Msg::activate, 0, 1});
    if ((w = record(top)) == nullptr) return false;
    WindowId target = w->saved_focus;
    if (!exists(target) || top_level_of(target) != top || !is_shown(target)) target = top;
    set_focus(target);
    mark_top_drawn(top);
    return true;
}

bool WindowSystem::set_focus(WindowId id) {
    if (id != no_window) {
        if (!is_shown(id)) return false;
        for (WindowRecord* w = record(id); w; w = record(w->parent))
            if (!w->enabled) return false;
        WindowId top = top_level_of(id);
        if (m_active != top) {
            record(top)->saved_focus = id;
            activate(top);
            return m_focus == id;
        }
        record(top)->saved_focus = id;
    }
    WindowId old = m_focus;
    if (old == id) return true;
    m_focus = id;
    if (exists(old)) send({old, Msg::kill_focus, static_cast<int32_t>(id)});
    if (exists(id) && m_focus == id) send({id, Msg::set_focus, static_cast<int32_t>(old)});
    return true;
}

bool WindowSystem::set_capture(WindowId id) {
    if (!exists(id)) return false;
    WindowId old = m_capture;
    m_capture = id;
    if (old != no_window && old != id && exists(old)) send({old, Msg::capture_lost});
    return true;
}

void WindowSystem::release_capture() {
    WindowId old = m_capture;
    m_capture = no_window;
    if (exists(old)) send({old, Msg::capture_lost});
}

bool WindowSystem::create_caret(WindowId id, IntSize size) {
    if (!exists(id)) return false;
    if (m_caret.window != no_window) mark_top_drawn(m_caret.window);
    m_caret = {id, {std::max(size.width, 1), std::max(size.height, 1)}, {}, 1};
    return true;
}

void WindowSystem::destroy_caret() {
    if (m_caret.window != no_window) mark_top_drawn(m_caret.window);
    m_caret = {};
}

bool WindowSystem::set_caret_pos(IntPoint p) {
    if (m_caret.window == no_window) return false;
    m_caret.position = p;
    mark_top_drawn(m_caret.window);
    return true;
}

void WindowSystem::show_caret(bool visible) {
    if (m_caret.window == no_window) return;
    if (visible && m_caret.hidden > 0)
        --m_caret.hidden;
    else if (!visible)
        ++m_caret.hidden;
    mark_top_drawn(m_caret.window);
}

bool WindowSystem::set_cursor(WindowId id, CursorShape shape) {
    WindowRecord* w = record(id);
    if (!w) return false;
    w->cursor_shape = shape;
    m_backend->cursor_changed();
    return true;
}

CursorShape WindowSystem::cursor(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->cursor_shape : CursorShape::arrow;
}

CursorShape WindowSystem::cursor_at_pointer() const {
    return cursor(m_capture != no_window ? m_capture : m_pointer_window);
}

} // namespace quillet::host
