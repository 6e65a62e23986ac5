// List boxes (single, multiple and extended selection, with their own scroll bar) and the
// drop-down list and drop-down edit, whose list opens as a popup below them.
#include "host/controls/controls.h"
#include "host/windows/scroll_bar_logic.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"

#include <algorithm>

namespace quillet::host {

// --- Items ---

void ItemModel::insert(int index, std::string_view text) {
    int at = index < 0 || index > count() ? count() : index;
    items.insert(items.begin() + at, std::string(text));
    selected.insert(selected.begin() + at, false);
}

bool ItemModel::erase(int index) {
    if (!contains(index)) return false;
    items.erase(items.begin() + index);
    selected.erase(selected.begin() + index);
    return true;
}

void ItemModel::clear() {
    items.clear();
    selected.clear();
}

void ItemModel::select_only(int index) {
    std::fill(selected.begin(), selected.end(), false);
    if (contains(index)) selected[index] = true;
}

int ItemModel::first_selected() const {
    for (size_t i = 0; i < selected.size(); ++i)
        if (selected[i]) return static_cast<int>(i);
    return -1;
}

std::vector<int> ItemModel::selection() const {
    std::vector<int> out;
    for (size_t i = 0; i < selected.size(); ++i)
        if (selected[i]) out.push_back(static_cast<int>(i));
    return out;
}

bool ListControl::add(int index, std::string_view text) {
    model.insert(index, text);
    window_system().invalidate(window());
    return true;
}

bool ListControl::remove(int index) {
    if (!model.erase(index)) return false;
    items_removed();
    window_system().invalidate(window());
    return true;
}

void ListControl::clear() {
    model.clear();
    items_removed();
    window_system().invalidate(window());
}

std::string ListControl::text(int index) const {
    return model.contains(index) ? model.items[index] : std::string();
}

// --- List box ---

bool ListBoxControl::set_selected(int index, bool selected) {
    if (!model.contains(index)) return false;
    if (selected && mode == ListSelection::single)
        model.select_only(index);
    else
        model.selected[index] = selected;
    if (selected) {
        caret = anchor = index;
        if (WindowRecord* w = find_record(window_system(), window()))
            ensure_visible(window_system(), *w, index);
    }
    window_system().invalidate(window());
    return true;
}

// The caret and the anchor stay on items, and a list scrolled past its new end scrolls back so
// that its rows stay filled (its scroll bar may be gone with the items).
void ListBoxControl::items_removed() {
    int last = std::max(0, model.count() - 1);
    caret = std::clamp(caret, 0, last);
    anchor = std::clamp(anchor, 0, last);
    WindowRecord* w = find_record(window_system(), window());
    int rows = w ? visible_rows(window_system(), *w) : 1;
    top = std::clamp(top, 0, std::max(0, model.count() - rows));
}

int ListBoxControl::item_height(WindowSystem& ws, const WindowRecord& w) const {
    return ws.font_of(w)->metrics().height + 1;
}

int ListBoxControl::visible_rows(WindowSystem& ws, WindowRecord& w) const {
    return std::max(1, (w.surface.height() - 4) / item_height(ws, w));
}

IntRect ListBoxControl::bar_rect(WindowSystem& ws, WindowRecord& w) const {
    if (model.count() <= visible_rows(ws, w)) return {};
    IntRect r = w.surface.rect();
    return {r.right - 2 - ws.metrics().scroll_bar, r.top + 2, r.right - 2, r.bottom - 2};
}

ScrollBarState ListBoxControl::bar_state(WindowSystem& ws, WindowRecord& w) const {
    ScrollBarState s;
    s.minimum = 0;
    s.maximum = model.count();
    s.proportion = visible_rows(ws, w);
    s.position = top;
    return s;
}

void ListBoxControl::ensure_visible(WindowSystem& ws, WindowRecord& w, int i) {
    int rows = visible_rows(ws, w);
    if (i < top)
        top = i;
    else if (i >= top + rows)
        top = i - rows + 1;
    top = std::clamp(top, 0, std::max(0, model.count() - rows));
}

bool ListBoxControl::wants_key(Key k) const {
    return k == Key::up || k == Key::down || k == Key::page_up || k == Key::page_down ||
           k == Key::home || k == Key::end || k == Key::character;
}

void ListBoxControl::move_caret(WindowSystem& ws, WindowRecord& w, int i, uint8_t modifiers) {
    int n = model.count();
    if (n == 0) return;
    i = std::clamp(i, 0, n - 1);
    std::vector<bool> before = model.selected;
    caret = i;
    if (mode == ListSelection::single) {
        model.select_only(i);
        anchor = i;
    } else if (mode == ListSelection::extended) {
        if (modifiers & mod_shift) {
            if (!(modifiers & mod_control))
                std::fill(model.selected.begin(), model.selected.end(), false);
            for (int k = std::min(anchor, i); k <= std::max(anchor, i); ++k)
                model.selected[k] = true;
        } else if (!(modifiers & mod_control)) {
            model.select_only(i);
            anchor = i;
        }
    }
    ensure_visible(ws, w, i);
    ws.invalidate(w.id);
    if (model.selected != before) notify_parent(ws, w, Notify::selection_changed);
}

int ListBoxControl::row_at(WindowSystem& ws, const WindowRecord& w, IntPoint p) const {
    return top + (p.y - 2) / item_height(ws, w);
}

// A press on the list's own scroll bar scrolls it or starts dragging its thumb.
void ListBoxControl::scroll_bar_pressed(WindowSystem& ws, WindowRecord& w, IntRect bar,
                                        IntPoint p) {
    int n = model.count();
    int rows = visible_rows(ws, w);
    ScrollBarState s = bar_state(ws, w);
    ScrollLayout l = scroll_layout(bar, ScrollBarKind::vertical, s, ws.metrics());
    switch (scroll_hit(l, p)) {
    case ScrollPart::arrow_back: top = std::max(0, top - 1); break;
    case ScrollPart::arrow_forward: top = std::min(std::max(0, n - rows), top + 1); break;
    case ScrollPart::page_back: top = std::max(0, top - rows); break;
    case ScrollPart::page_forward: top = std::min(std::max(0, n - rows), top + rows); break;
    case ScrollPart::thumb:
        m_bar_drag = true;
        m_bar_offset = p.y - l.thumb.top;
        ws.set_capture(w.id);
        break;
    case ScrollPart::none: break;
    }
    ws.invalidate(w.id);
}

// A press (or the second press of a double click) on an item.
bool ListBoxControl::mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left) return true;
    if (!hot_tracking) ws.set_focus(w.id);
    if (IntRect bar = bar_rect(ws, w); !bar.is_empty() && bar.contains(m.point)) {
        scroll_bar_pressed(ws, w, bar, m.point);
        return true;
    }
    int i = row_at(ws, w, m.point);
    if (i < 0 || i >= model.count()) return true;
    std::vector<bool> before = model.selected;
    if (mode == ListSelection::multiple) {
        model.selected[i] = !model.selected[i];
        caret = anchor = i;
    } else if (mode == ListSelection::extended && (m.modifiers & mod_control) &&
               !(m.modifiers & mod_shift)) {
        model.selected[i] = !model.selected[i];
        caret = anchor = i;
    } else {
        move_caret(ws, w, i, m.modifiers); // tells the parent when the selection changed
        // A click on the selection is a choice all the same: the parent hears of it (the
        // second click of a double click reports only the double click).
        if (m.kind == Msg::mouse_down && model.selected == before)
            notify_parent(ws, w, Notify::selection_changed);
        before = model.selected;
    }
    ws.invalidate(w.id);
    if (model.selected != before) notify_parent(ws, w, Notify::selection_changed);
    if (WindowRecord* still = find_record(ws, w.id))
        notify_parent(ws, *still,
                      m.kind == Msg::mouse_double_click ? Notify::double_clicked : Notify::clicked);
    return true;
}

bool ListBoxControl::mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m_bar_drag) {
        ScrollBarState s = bar_state(ws, w);
        ScrollLayout l = scroll_layout(bar_rect(ws, w), ScrollBarKind::vertical, s, ws.metrics());
        top = scroll_position_at(l, ScrollBarKind::vertical, s, m.point.y - m_bar_offset);
        ws.invalidate(w.id);
    } else if (hot_tracking) {
        int i = row_at(ws, w, m.point);
        if (i >= 0 && i < model.count() && w.surface.rect().contains(m.point) && !model.selected[i])
            move_caret(ws, w, i, 0);
    }
    return true;
}

bool ListBoxControl::mouse_up(WindowSystem& ws, WindowRecord&, const Message&) {
    if (m_bar_drag) {
        m_bar_drag = false;
        ws.release_capture();
    }
    return true;
}

bool ListBoxControl::capture_lost(WindowSystem&, WindowRecord&, const Message&) {
    m_bar_drag = false;
    return true;
}

bool ListBoxControl::mouse_wheel(WindowSystem& ws, WindowRecord& w, const Message& m) {
    int n = model.count();
    top = std::clamp(top - 3 * m.value, 0, std::max(0, n - visible_rows(ws, w)));
    ws.invalidate(w.id);
    return true;
}

bool ListBoxControl::key_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    int rows = visible_rows(ws, w);
    switch (static_cast<Key>(m.code)) {
    case Key::up: move_caret(ws, w, caret - 1, m.modifiers); return true;
    case Key::down: move_caret(ws, w, caret + 1, m.modifiers); return true;
    case Key::page_up: move_caret(ws, w, caret - rows + 1, m.modifiers); return true;
    case Key::page_down: move_caret(ws, w, caret + rows - 1, m.modifiers); return true;
    case Key::home: move_caret(ws, w, 0, m.modifiers); return true;
    case Key::end: move_caret(ws, w, model.count() - 1, m.modifiers); return true;
    default: return false;
    }
}

// Space selects in lists of several selections; a letter moves to the next item that starts
// with it.
bool ListBoxControl::character(WindowSystem& ws, WindowRecord& w, const Message& m) {
    int n = model.count();
    if (m.code == ' ' && n > 0 && mode != ListSelection::single) {
        if (mode == ListSelection::multiple || (m.modifiers & mod_control))
            model.selected[caret] = !model.selected[caret];
        else
            model.select_only(caret);
        anchor = caret;
        ws.invalidate(w.id);
        notify_parent(ws, w, Notify::selection_changed);
        return true;
    }
    if (m.code >= 33 && m.code < 256 && n > 0) {
        auto lower = [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        };
        char c = lower(static_cast<char>(m.code));
        for (int k = 1; k <= n; ++k) {
            int i = (caret + k) % n;
            if (!model.items[i].empty() && lower(model.items[i][0]) == c) {
                move_caret(ws, w, i, 0);
                break;
            }
        }
        return true;
    }
    return m.code == ' ' || m.code == key_code::up || m.code == key_code::down ||
           m.code == key_code::page_up || m.code == key_code::page_down ||
           m.code == key_code::home || m.code == key_code::end;
}

bool ListBoxControl::focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

bool ListBoxControl::focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

void ListBoxControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    IntRect r = w.surface.rect();
    bool enabled = ws.is_enabled(w.id);
    ui::fill(dc, r, enabled ? ui::window : ui::face);
    IntRect bar = bar_rect(ws, w);
    int right = bar.is_empty() ? r.right - 2 : bar.left;
    int h = item_height(ws, w);
    bool focused = ws.focus() == w.id;
    for (int i = top, y = 2; i < model.count() && y < r.bottom - 2; ++i, y += h) {
        IntRect row{2, y, right, y + h};
        bool sel = model.selected[i];
        if (sel) ui::fill(dc, row, ui::selection);
        ui::draw_plain_text(dc, {row.left + 2, row.top, row.right, row.bottom}, model.items[i],
                            !enabled ? ui::gray_text
                            : sel    ? ui::selection_text
                                     : ui::text,
                            ui::Align::left);
        if (focused && i == caret) ui::focus_rect(dc, row);
    }
    if (!bar.is_empty())
        paint_scroll_bar(dc, bar, ScrollBarKind::vertical, bar_state(ws, w), ws.metrics(), enabled);
    if (hot_tracking)
        ui::frame_rect(dc, r, ui::dark);
    else
        ui::sunken_edge(dc, r);
}

// --- Drop-down list and drop-down edit ---

bool DropDownControl::wants_key(Key k) const {
    return k == Key::up || k == Key::down || k == Key::f4 || k == Key::character ||
           (m_popup != no_window && (k == Key::enter || k == Key::escape)) ||
           (kind() == ControlKind::dropdown_edit &&
            (k == Key::left || k == Key::right || k == Key::home || k == Key::end ||
             k == Key::backspace || k == Key::delete_key || k == Key::insert));
}

void DropDownControl::title_changed(WindowSystem& ws, WindowRecord& w) {
    if (WindowRecord* e = find_record(ws, edit); e && e->title != w.title)
        ws.set_title(edit, w.title);
}

bool DropDownControl::set_selected(int index, bool selected) {
    WindowRecord* w = find_record(window_system(), window());
    if (!w || index < -1 || index >= model.count()) return false;
    choose(window_system(), *w, selected ? index : -1, false);
    return true;
}

void DropDownControl::choose(WindowSystem& ws, WindowRecord& w, int index, bool tell) {
    if (index < -1 || index >= model.count()) return;
    bool changed = index != chosen();
    model.select_only(index);
    std::string text = index >= 0 ? model.items[index] : std::string();
    if (kind() == ControlKind::dropdown_edit && index >= 0) {
        ws.set_title(w.id, text);
        if (EditControl* e = find_edit(ws, w.id)) e->select(0, -1);
    }
    ws.invalidate(w.id);
    if (changed && tell)
        if (WindowRecord* r = find_record(ws, w.id))
            notify_parent(ws, *r, Notify::selection_changed);
}

void DropDownControl::open(WindowSystem& ws, WindowRecord& w) {
    if (m_popup || model.items.empty()) return;
    WindowId top = ws.top_level_of(w.id);
    IntPoint at = ws.client_to_screen(w.id, {0, w.surface.height()});
    IntPoint origin = ws.client_to_screen(top, {0, 0});
    int rows = std::min<int>(model.count(), 8);
    int h = rows * (ws.font_of(w)->metrics().height + 1) + 4;
    WindowDef def;
    def.parent = top;
    def.rect = {at.x - origin.x, at.y - origin.y, at.x - origin.x + w.surface.width(),
                at.y - origin.y + h};
    def.title = "list";
    m_popup = ws.create_window(def);
    WindowRecord* p = find_record(ws, m_popup);
    if (!p) return;
    auto list = std::make_unique<ListBoxControl>(ListSelection::single);
    list->model.items = model.items;
    list->model.selected.assign(model.items.size(), false);
    list->hot_tracking = true;
    if (int current = chosen(); current >= 0) {
        list->model.select_only(current);
        list->caret = list->anchor = current;
        list->ensure_visible(ws, *p, current);
    }
    p->control = std::move(list);
    p->control->attach(ws, m_popup);
    p->control_id = w.control_id;
    p->owner = w.id;
    p->overlay = true;
    ws.raise_window(m_popup);
    m_before = chosen();
    ws.set_capture(w.id);
    ws.invalidate(w.id);
}

void DropDownControl::close(WindowSystem& ws, WindowRecord& w, bool accept) {
    if (!m_popup) return;
    WindowId popup = m_popup;
    m_popup = no_window;
    WindowId id = w.id;
    ws.destroy_window(popup);
    if (ws.capture() == id) ws.release_capture();
    if (WindowRecord* self = find_record(ws, id)) {
        if (!accept) choose(ws, *self, m_before, true);
        ws.invalidate(id);
    }
}

ListBoxControl* DropDownControl::open_list(WindowSystem& ws) const {
    WindowRecord* popup = find_record(ws, m_popup);
    return popup ? static_cast<ListBoxControl*>(popup->control.get()) : nullptr;
}

// A point of the control's client area in the open list's client area.
IntPoint DropDownControl::to_popup(WindowSystem& ws, const WindowRecord& w, IntPoint p) const {
    IntPoint s = ws.client_to_screen(w.id, p);
    IntPoint o = ws.client_to_screen(m_popup, {0, 0});
    return IntPoint{s.x - o.x, s.y - o.y};
}

// From the open list or the edit part.
bool DropDownControl::part_notified(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (ListBoxControl* list = open_list(ws); list && m.source == m_popup) {
        if (static_cast<Notify>(m.value) == Notify::selection_changed)
            choose(ws, w, list->model.first_selected(), true);
        return true;
    }
    if (m.source == edit) {
        Notify what = static_cast<Notify>(m.value);
        if (what == Notify::text_changed) {
            if (WindowRecord* e = find_record(ws, edit)) w.title = e->title;
            notify_parent(ws, w, Notify::text_changed);
        } else if (what == Notify::focus_gained || what == Notify::focus_lost) {
            notify_parent(ws, w, what);
        }
        return true;
    }
    return false;
}

bool DropDownControl::focus_in(WindowSystem& ws, WindowRecord& w, const Message&) {
    if (ws.exists(edit)) {
        ws.set_focus(edit);
        return true;
    }
    ws.invalidate(w.id);
    notify_parent(ws, w, Notify::focus_gained);
    return true;
}

bool DropDownControl::focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (static_cast<WindowId>(m.code) != edit) {
        close(ws, w, true);
        if (!ws.exists(edit)) notify_parent(ws, w, Notify::focus_lost);
    }
    ws.invalidate(w.id);
    return true;
}

// While the list is open, presses inside it go to it and presses elsewhere close it.
bool DropDownControl::mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left) return true;
    if (open_list(ws)) {
        IntPoint p = to_popup(ws, w, m.point);
        if (find_record(ws, m_popup)->surface.rect().contains(p))
            ws.send({m_popup, m.kind, 0, 0, 0, p, m.modifiers, m.button});
        else
            close(ws, w, true);
        return true;
    }
    ws.set_focus(ws.exists(edit) ? edit : w.id);
    open(ws, w);
    return true;
}

bool DropDownControl::mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (open_list(ws)) ws.send({m_popup, Msg::mouse_move, 0, 0, 0, to_popup(ws, w, m.point)});
    return true;
}

// Releasing the button over the list (after dragging into it) chooses the item.
bool DropDownControl::mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (open_list(ws) &&
        find_record(ws, m_popup)->surface.rect().contains(to_popup(ws, w, m.point)) &&
        !w.surface.rect().contains(m.point))
        close(ws, w, true);
    return true;
}

bool DropDownControl::key_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    Key key = static_cast<Key>(m.code);
    if (open_list(ws)) {
        if (key == Key::enter || key == Key::f4 || (key == Key::up && (m.modifiers & mod_alt))) {
            close(ws, w, true);
            return true;
        }
        if (key == Key::escape) {
            close(ws, w, false);
            return true;
        }
        ws.send({m_popup, Msg::key_down, m.code, m.value, 0, {}, m.modifiers});
        return true;
    }
    if (key == Key::f4 || (key == Key::down && (m.modifiers & mod_alt))) {
        open(ws, w);
        return true;
    }
    int n = model.count();
    if (n > 0 && (key == Key::up || key == Key::down)) {
        int current = chosen();
        int i = current < 0 ? 0 : std::clamp(current + (key == Key::up ? -1 : 1), 0, n - 1);
        choose(ws, w, i, true);
        return true;
    }
    return false;
}

// In a drop-down list a letter chooses the next item that starts with it.
bool DropDownControl::character(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (kind() == ControlKind::dropdown_list && m.code >= 33 && m.code < 256 &&
        !model.items.empty()) {
        auto lower = [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        };
        char c = lower(static_cast<char>(m.code));
        int n = model.count();
        int current = chosen();
        for (int k = 1; k <= n; ++k) {
            int i = (std::max(current, 0) + k - (current < 0 ? 1 : 0)) % n;
            if (!model.items[i].empty() && lower(model.items[i][0]) == c) {
                choose(ws, w, i, true);
                break;
            }
        }
        return true;
    }
    return m.code == key_code::up || m.code == key_code::down;
}

bool DropDownControl::capture_lost(WindowSystem& ws, WindowRecord& w, const Message&) {
    if (open_list(ws)) close(ws, w, true);
    return true;
}

void DropDownControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    IntRect r = w.surface.rect();
    bool enabled = ws.is_enabled(w.id);
    ui::fill(dc, r, enabled ? ui::window : ui::face);
    int bw = ws.metrics().scroll_bar;
    IntRect button{r.right - 2 - bw, r.top + 2, r.right - 2, r.bottom - 2};
    if (kind() == ControlKind::dropdown_list) {
        bool focused = ws.focus() == w.id;
        IntRect field{r.left + 2, r.top + 2, button.left, r.bottom - 2};
        int current = chosen();
        std::string text = current >= 0 ? model.items[current] : std::string();
        if (focused && m_popup == no_window)
            ui::fill(dc, {field.left + 1, field.top + 1, field.right - 1, field.bottom - 1},
                     ui::selection);
        ui::draw_plain_text(dc, {field.left + 3, field.top, field.right, field.bottom}, text,
                            !enabled                          ? ui::gray_text
                            : focused && m_popup == no_window ? ui::selection_text
                                                              : ui::text,
                            ui::Align::left);
        if (focused) ui::focus_rect(dc, field);
    }
    ui::fill(dc, button, ui::face);
    if (m_popup)
        ui::pressed_edge(dc, button);
    else
        ui::raised_edge(dc, button);
    ui::draw_arrow(dc, button, 1, enabled ? ui::text : ui::gray_text);
    ui::sunken_edge(dc, r);
}

} // namespace quillet::host
