// Input from the backend: keys become key and character messages for the focus, mouse events
// go to the capture or the window under the pointer (or to the frame's parts), and the desktop's
// close, resize and activation requests reach their windows.
#include "host/windows/backend.h"
#include "host/windows/frame.h"
#include "host/windows/scroll_bar_logic.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <cstdlib>

namespace quillet::host {

int key_to_code(Key key, char character, uint8_t modifiers) {
    switch (key) {
    case Key::enter: return key_code::enter;
    case Key::escape: return key_code::escape;
    case Key::tab: return key_code::tab;
    case Key::backspace: return key_code::backspace;
    case Key::delete_key: return key_code::delete_key;
    case Key::insert: return key_code::insert;
    case Key::home: return key_code::home;
    case Key::end: return key_code::end;
    case Key::page_up: return key_code::page_up;
    case Key::page_down: return key_code::page_down;
    case Key::left: return key_code::left;
    case Key::right: return key_code::right;
    case Key::up: return key_code::up;
    case Key::down: return key_code::down;
    case Key::f2:
    case Key::f3:
    case Key::f4:
    case Key::f5:
    case Key::f6:
    case Key::f7:
    case Key::f8:
    case Key::f9: return key_code::f2 + (static_cast<int>(key) - static_cast<int>(Key::f2));
    case Key::f11: return 0x155;
    case Key::f12: return 0x156;
    case Key::character: {
        if (modifiers & mod_alt) return -1; // menu mnemonics
        unsigned char c = static_cast<unsigned char>(character);
        if (modifiers & mod_control) {
            if (c >= 'a' && c <= 'z') return c - 'a' + 1;
            if (c >= '@' && c <= '_') return c & 0x1F;
            return -1;
        }
        return c;
    }
    default: return -1;
    }
}

namespace {
struct Hit {
    WindowId window = no_window;
    IntPoint point; // in the window's client coordinates
};

// The deepest shown window under a point of parent's client area.
Hit child_at(const WindowSystem& ws, WindowId parent, IntPoint p) {
    WindowRecord* w = find_record(ws, parent);
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        WindowRecord* c = find_record(ws, *it);
        if (!c || !c->visible || !c->rect.contains(p)) continue;
        FrameInsets f = c->insets(ws.metrics());
        IntPoint local{p.x - c->rect.left - f.left, p.y - c->rect.top - f.top};
        IntSize cs = c->client_size(ws.metrics());
        if (local.x >= 0 && local.y >= 0 && local.x < cs.width && local.y < cs.height)
            return child_at(ws, c->id, local);
        return {c->id, local};
    }
    return {parent, p};
}
} // namespace

void WindowSystem::input_key(Key key, char character, uint8_t modifiers) {
    if (key == Key::none) return;
    post_input({no_window,
                Msg::key_down,
                static_cast<int32_t>(key),
                static_cast<unsigned char>(character),
                0,
                {},
                modifiers});
}

void WindowSystem::input_text(std::string_view text) {
    for (char c : text)
        post_input({no_window, Msg::character, static_cast<unsigned char>(c)});
}

void WindowSystem::route_mouse(WindowId target, Msg kind, IntPoint p, MouseButton button,
                               uint8_t modifiers) {
    m_pointer_window = target;
    if (kind == Msg::mouse_down) {
        IntPoint screen = client_to_screen(target, p);
        Clock::time_point now = Clock::now();
        if (m_last_click.window == target && m_last_click.button == button &&
            now - m_last_click.when < std::chrono::milliseconds(m_metrics.double_click_ms) &&
            std::abs(screen.x - m_last_click.screen.x) <= m_metrics.double_click_distance &&
            std::abs(screen.y - m_last_click.screen.y) <= m_metrics.double_click_distance) {
            kind = Msg::mouse_double_click;
            m_last_click.window = no_window;
        } else {
            m_last_click = {target, button, screen, now};
        }
    }
    post({target, kind, 0, 0, 0, p, modifiers, button});
}

void WindowSystem::input_mouse(WindowId top, MouseEvent event, IntPoint p, MouseButton button,
                               uint8_t modifiers) {
    WindowRecord* w = record(top);
    if (!w || w->parent != no_window) return;
    static constexpr Msg kinds[] = {Msg::mouse_down, Msg::mouse_up, Msg::mouse_move,
                                    Msg::mouse_double_click};
    Msg kind = kinds[static_cast<int>(event)];
    if (m_bar_drag.window != no_window) {
        nonclient_mouse(*w, event, p, button, modifiers);
        return;
    }
    if (m_capture != no_window) {
        IntPoint origin = client_to_screen(m_capture, {0, 0});
        route_mouse(m_capture, kind, {w->rect.left + p.x - origin.x, w->rect.top + p.y - origin.y},
                    button, modifiers);
        return;
    }
    if (!w->enabled) return; // the owner of a modal window
    FrameHit hit = frame_hit(*w, m_metrics, *ui_font(), p);
    if (hit.part != FramePart::client) {
        m_pointer_window = top;
        nonclient_mouse(*w, event, p, button, modifiers);
        return;
    }
    if ((event == MouseEvent::down || event == MouseEvent::double_click) && m_active != top)
        activate(top);
    if (!(w = record(top))) return;
    FrameInsets f = w->insets(m_metrics);
    Hit h = child_at(*this, top, {p.x - f.left, p.y - f.top});
    for (WindowRecord* t = record(h.window); t; t = record(t->parent))
        if (!t->enabled) return;
    route_mouse(h.window, kind, h.point, button, modifiers);
}

void WindowSystem::nonclient_mouse(WindowRecord& w, MouseEvent event, IntPoint p,
                                   MouseButton button, uint8_t) {
    WindowId top = w.id;
    if (m_bar_drag.window == top) {
        ScrollBarKind kind = m_bar_drag.bar;
        ScrollBarState& s = kind == ScrollBarKind::vertical ? w.vbar : w.hbar;
        ScrollLayout l = scroll_layout(window_bar_rect(w, m_metrics, kind), kind, s, m_metrics);
        Msg msg = kind == ScrollBarKind::vertical ? Msg::vscroll : Msg::hscroll;
        int along = kind == ScrollBarKind::vertical ? p.y : p.x;
        if (event == MouseEvent::move) {
            int pos = scroll_position_at(l, kind, s, along - s.drag_offset);
            if (pos != s.drag_position) {
                s.drag_position = pos;
                post({top, msg, 0, static_cast<int>(ScrollAction::thumb_dragged), pos});
                mark_top_drawn(top);
            }
        } else if (event == MouseEvent::up) {
            s.dragging = false;
            s.position = s.drag_position;
            m_bar_drag = {};
            post({top, msg, 0, static_cast<int>(ScrollAction::thumb_released), s.position});
            mark_top_drawn(top);
        }
        return;
    }
    if (button != MouseButton::left ||
        (event != MouseEvent::down && event != MouseEvent::double_click))
        return;
    if (m_active != top) activate(top);
    FrameHit hit = frame_hit(w, m_metrics, *ui_font(), p);
    switch (hit.part) {
    case FramePart::close_box: post({top, Msg::close}); break;
    case FramePart::menu_bar:
        if (hit.menu_index >= 0) post({top, Msg::open_menu, hit.menu_index, 0});
        break;
    case FramePart::vscroll:
    case FramePart::hscroll: {
        ScrollBarKind kind =
            hit.part == FramePart::vscroll ? ScrollBarKind::vertical : ScrollBarKind::horizontal;
        ScrollBarState& s = kind == ScrollBarKind::vertical ? w.vbar : w.hbar;
        ScrollLayout l = scroll_layout(window_bar_rect(w, m_metrics, kind), kind, s, m_metrics);
        Msg msg = kind == ScrollBarKind::vertical ? Msg::vscroll : Msg::hscroll;
        ScrollAction action;
        switch (scroll_hit(l, p)) {
        case ScrollPart::arrow_back: action = ScrollAction::line_up; break;
        case ScrollPart::arrow_forward: action = ScrollAction::line_down; break;
        case ScrollPart::page_back: action = ScrollAction::page_up; break;
        case ScrollPart::page_forward: action = ScrollAction::page_down; break;
        case ScrollPart::thumb:
            s.dragging = true;
            s.drag_position = s.position;
            s.drag_offset =
                kind == ScrollBarKind::vertical ? p.y - l.thumb.top : p.x - l.thumb.left;
            m_bar_drag = {top, kind};
            return;
        default: return;
        }
        if (s.maximum > s.minimum) post({top, msg, 0, static_cast<int>(action), s.position});
        break;
    }
    default: break;
    }
}

void WindowSystem::input_wheel(WindowId top, IntPoint p, int lines) {
    WindowRecord* w = record(top);
    if (!w || !w->enabled || lines == 0) return;
    FrameInsets f = w->insets(m_metrics);
    Hit h = child_at(*this, top, {p.x - f.left, p.y - f.top});
    post({h.window, Msg::mouse_wheel, 0, lines, 0, h.point});
}

void WindowSystem::input_close(WindowId top) {
    WindowRecord* w = record(top);
    if (w && w->parent == no_window && w->enabled) post({top, Msg::close});
}

void WindowSystem::input_resize(WindowId top, IntSize outer) {
    WindowRecord* w = record(top);
    if (!w || w->parent != no_window) return;
    move_window(top, {w->rect.left, w->rect.top, w->rect.left + std::max(outer.width, 0),
                      w->rect.top + std::max(outer.height, 0)});
}

void WindowSystem::input_activate(WindowId top) {
    WindowRecord* w = record(top);
    if (w && w->parent == no_window && w->enabled && w->visible) activate(top);
}

} // namespace quillet::host
