// The one-line edit: a caret and a selection, clipboard keys, and horizontal scrolling that keeps
// the caret in view.
#include "host/controls/controls.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"

#include <algorithm>

namespace quillet::host {

namespace {
constexpr int margin = 3;
}

bool EditControl::wants_key(Key k) const {
    return k == Key::left || k == Key::right || k == Key::home || k == Key::end ||
           k == Key::backspace || k == Key::delete_key || k == Key::insert || k == Key::character;
}

void EditControl::title_changed(WindowSystem& ws, WindowRecord& w) {
    int n = static_cast<int>(w.title.size());
    anchor = std::min(anchor, n);
    caret = std::min(caret, n);
    update_caret(ws, w);
}

void EditControl::set_selection(WindowSystem& ws, WindowRecord& w, int start, int end) {
    int n = static_cast<int>(w.title.size());
    if (start < 0) start = n;
    if (end < 0) end = n;
    anchor = std::clamp(start, 0, n);
    caret = std::clamp(end, 0, n);
    update_caret(ws, w);
    ws.invalidate(w.id);
}

void EditControl::select(int start, int end) {
    if (WindowRecord* w = find_record(window_system(), window()))
        set_selection(window_system(), *w, start, end);
}

std::pair<int, int> EditControl::selection() const {
    return {std::min(anchor, caret), std::max(anchor, caret)};
}

int EditControl::index_at(WindowSystem& ws, WindowRecord& w, int x) const {
    const Font& font = *ws.font_of(w);
    int pos = margin - m_scroll;
    for (size_t i = 0; i < w.title.size(); ++i) {
        int cw = font.char_width(static_cast<uint8_t>(w.title[i]));
        if (x < pos + cw / 2) return static_cast<int>(i);
        pos += cw;
    }
    return static_cast<int>(w.title.size());
}

void EditControl::update_caret(WindowSystem& ws, WindowRecord& w) {
    const Font& font = *ws.font_of(w);
    int caret_x = font.text_extent(std::string_view(w.title).substr(0, caret)).width;
    int visible = std::max(1, w.surface.width() - 2 * margin);
    if (caret_x - m_scroll > visible - 1) m_scroll = caret_x - visible + 1;
    if (caret_x < m_scroll) m_scroll = std::max(0, caret_x - visible / 3);
    if (ws.focus() == w.id) {
        int h = font.metrics().height;
        ws.set_caret_pos({margin + caret_x - m_scroll, (w.surface.height() - h) / 2});
    }
    ws.invalidate(w.id);
}

void EditControl::replace_selection(WindowSystem& ws, WindowRecord& w, std::string_view text) {
    int from = std::min(anchor, caret), to = std::max(anchor, caret);
    std::string t = w.title;
    t.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), text);
    w.title = t;
    caret = anchor = from + static_cast<int>(text.size());
    update_caret(ws, w);
    notify_parent(ws, w, Notify::text_changed);
}

bool EditControl::focus_in(WindowSystem& ws, WindowRecord& w, const Message&) {
    ws.create_caret(w.id, {1, ws.font_of(w)->metrics().height});
    update_caret(ws, w);
    ws.show_caret(true);
    notify_parent(ws, w, Notify::focus_gained);
    return true;
}

bool EditControl::focus_out(WindowSystem& ws, WindowRecord& w, const Message&) {
    ws.destroy_caret();
    ws.invalidate(w.id);
    notify_parent(ws, w, Notify::focus_lost);
    return true;
}

bool EditControl::mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left) return true;
    ws.set_focus(w.id);
    caret = index_at(ws, w, m.point.x);
    if (!(m.modifiers & mod_shift)) anchor = caret;
    m_dragging = true;
    ws.set_capture(w.id);
    update_caret(ws, w);
    return true;
}

// A double click selects the whole text.
bool EditControl::mouse_double_click(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left) return true;
    ws.set_focus(w.id);
    anchor = 0;
    caret = static_cast<int>(w.title.size());
    update_caret(ws, w);
    return true;
}

bool EditControl::mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m_dragging) {
        int c = index_at(ws, w, m.point.x);
        if (c != caret) {
            caret = c;
            update_caret(ws, w);
        }
    }
    return true;
}

bool EditControl::mouse_up(WindowSystem& ws, WindowRecord&, const Message&) {
    if (m_dragging) {
        m_dragging = false;
        ws.release_capture();
    }
    return true;
}

bool EditControl::capture_lost(WindowSystem&, WindowRecord&, const Message&) {
    m_dragging = false;
    return true;
}

// Ctrl+A selects all, Ctrl+C copies, Ctrl+X cuts, Ctrl+V pastes (without line breaks).
bool EditControl::clipboard_key(WindowSystem& ws, WindowRecord& w, int32_t letter,
                                std::string_view selected) {
    switch (letter) {
    case 'a':
        anchor = 0;
        caret = static_cast<int>(w.title.size());
        update_caret(ws, w);
        return true;
    case 'c':
        if (anchor != caret) ws.clipboard().set_text(selected);
        return true;
    case 'x':
        if (anchor != caret) {
            ws.clipboard().set_text(selected);
            replace_selection(ws, w, "");
        }
        return true;
    case 'v': {
        std::string text = ws.clipboard().text();
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
        replace_selection(ws, w, text);
        return true;
    }
    default: return false;
    }
}

bool EditControl::key_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    Key key = static_cast<Key>(m.code);
    // The edit part of a drop-down leaves the list keys to the drop-down.
    if (w.owner != no_window && (key == Key::up || key == Key::down || key == Key::f4 ||
                                 key == Key::enter || key == Key::escape)) {
        ws.send({w.owner, Msg::key_down, m.code, m.value, 0, {}, m.modifiers});
        return true;
    }
    int n = static_cast<int>(w.title.size());
    bool shift = m.modifiers & mod_shift;
    bool ctrl = m.modifiers & mod_control;
    auto move = [&](int to) {
        caret = std::clamp(to, 0, n);
        if (!shift) anchor = caret;
        update_caret(ws, w);
    };
    std::string selected = w.title.substr(static_cast<size_t>(std::min(anchor, caret)),
                                          static_cast<size_t>(std::abs(anchor - caret)));
    switch (key) {
    case Key::left:
        if (!shift && anchor != caret)
            move(std::min(anchor, caret));
        else
            move(caret - 1);
        return true;
    case Key::right:
        if (!shift && anchor != caret)
            move(std::max(anchor, caret));
        else
            move(caret + 1);
        return true;
    case Key::home: move(0); return true;
    case Key::end: move(n); return true;
    case Key::backspace:
        if (anchor == caret && caret > 0) anchor = caret - 1;
        if (anchor != caret) replace_selection(ws, w, "");
        return true;
    case Key::delete_key:
        if (shift && anchor != caret) // Shift+Delete cuts
            ws.clipboard().set_text(selected);
        if (anchor == caret && caret < n) anchor = caret + 1;
        if (anchor != caret) replace_selection(ws, w, "");
        return true;
    case Key::insert:
        if (ctrl && anchor != caret)
            ws.clipboard().set_text(selected);
        else if (shift)
            replace_selection(ws, w, ws.clipboard().text());
        return true;
    case Key::character:
        if (!ctrl || (m.modifiers & mod_alt)) return false;
        return clipboard_key(ws, w, m.value, selected);
    default: return false;
    }
}

bool EditControl::character(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.code >= 32 && m.code < 256 && m.code != 127) {
        char c = static_cast<char>(m.code);
        replace_selection(ws, w, std::string_view(&c, 1));
        return true;
    }
    // Navigation and editing codes were handled as keys; the rest goes to the window.
    return m.code == key_code::backspace || m.code == key_code::delete_key ||
           m.code == key_code::left || m.code == key_code::right || m.code == key_code::home ||
           m.code == key_code::end || m.code == key_code::insert ||
           (m.code >= 1 && m.code <= 26 && m.code != 9 && m.code != 13 && m.code != 8);
}

void EditControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    IntRect r = w.surface.rect();
    bool enabled = ws.is_enabled(w.id);
    ui::fill(dc, r, enabled ? ui::window : ui::face);
    WindowRecord* owner = find_record(ws, w.owner);
    bool focused = ws.focus() == w.id;
    const Font& font = *ws.font_of(w);
    int y = (r.bottom - font.metrics().height) / 2;
    DeviceContextStateSaver saver(dc);
    IntRect inner{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    dc.state().clip = dc.state().clip ? dc.state().clip->intersected(inner) : inner;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.state().text_color = enabled ? ui::text : ui::gray_text;
    int x = margin - m_scroll;
    dc.draw_text({x, y}, w.title, TextAlign::top);
    if (focused && anchor != caret) {
        int from = std::min(anchor, caret), to = std::max(anchor, caret);
        int x0 = x + font.text_extent(std::string_view(w.title).substr(0, from)).width;
        std::string_view sel = std::string_view(w.title).substr(from, to - from);
        int x1 = x0 + font.text_extent(sel).width;
        ui::fill(dc, {x0, y, x1, y + font.metrics().height}, ui::selection);
        dc.state().text_color = ui::selection_text;
        dc.draw_text({x0, y}, sel, TextAlign::top);
    }
    dc.state().clip.reset();
    if (!owner) ui::sunken_edge(dc, r);
}

} // namespace quillet::host
