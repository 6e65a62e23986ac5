// Control creation and the control API of the window system; buttons, static text, group boxes
// and scroll-bar controls.
#include "host/controls/controls.h"

#include "host/windows/scroll_bar_logic.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"

#include <algorithm>

namespace quillet::host {

std::unique_ptr<Control> make_control(const ControlDef& def) {
    switch (def.kind) {
    case ControlKind::push_button:
    case ControlKind::radio_button:
    case ControlKind::check_box:
    case ControlKind::group_box:
        return std::make_unique<ButtonControl>(def.kind, def.default_button, def.button_align);
    case ControlKind::static_left:
    case ControlKind::static_center:
    case ControlKind::static_right: return std::make_unique<StaticControl>(def.kind);
    case ControlKind::edit: return std::make_unique<EditControl>();
    case ControlKind::list_box: return std::make_unique<ListBoxControl>(def.selection);
    case ControlKind::dropdown_list:
    case ControlKind::dropdown_edit: return std::make_unique<DropDownControl>(def.kind);
    case ControlKind::hscroll_bar:
    case ControlKind::vscroll_bar: return std::make_unique<ScrollBarControl>(def.kind);
    }
    return nullptr;
}

void notify_parent(WindowSystem& ws, WindowRecord& w, Notify what, int position, int action) {
    WindowId to = w.owner != no_window ? w.owner : w.parent;
    Message m{to, Msg::notify, w.control_id, static_cast<int32_t>(what), position};
    m.source = w.id;
    m.point = {action, 0}; // the ScrollAction of Notify::scrolled
    ws.send(m);
}

void focus_changed(WindowSystem& ws, WindowRecord& w, const Message& m) {
    ws.invalidate(w.id);
    notify_parent(ws, w, m.kind == Msg::set_focus ? Notify::focus_gained : Notify::focus_lost);
}

// --- Buttons ---

namespace {
ui::Align label_align(ButtonAlign align, ui::Align standard) {
    switch (align) {
    case ButtonAlign::left: return ui::Align::left;
    case ButtonAlign::center: return ui::Align::center;
    case ButtonAlign::right: return ui::Align::right;
    case ButtonAlign::standard: break;
    }
    return standard;
}

void paint_check(DeviceContext& dc, IntRect box, Color color) {
    int x = box.left + 3, y = box.top + 5;
    for (int k = 0; k < 3; ++k)
        ui::fill(dc, {x + k, y + k, x + k + 1, y + k + 3}, color);
    for (int k = 0; k < 4; ++k)
        ui::fill(dc, {x + 3 + k, y + 1 - k, x + 4 + k, y + 4 - k}, color);
}
} // namespace

void ButtonControl::click(WindowSystem& ws, WindowRecord& w) {
    WindowId id = w.id;
    if (kind() == ControlKind::check_box) {
        checked = !checked;
    } else if (kind() == ControlKind::radio_button) {
        // The radio buttons next to this one in the parent's order form its group.
        std::vector<WindowId> siblings = ws.children(w.parent);
        auto self = std::find(siblings.begin(), siblings.end(), id);
        auto is_radio = [&](WindowId s) { return ws.control_kind(s) == ControlKind::radio_button; };
        auto first = self, last = self;
        while (first != siblings.begin() && is_radio(*(first - 1)))
            --first;
        while (last + 1 != siblings.end() && is_radio(*(last + 1)))
            ++last;
        check_radio(ws, std::span<const WindowId>(&*first, static_cast<size_t>(last - first + 1)),
                    id);
    }
    ws.invalidate(id);
    if (WindowRecord* r = find_record(ws, id)) notify_parent(ws, *r, Notify::clicked);
}

bool ButtonControl::mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left) return true;
    ws.set_focus(w.id);
    ws.set_capture(w.id);
    m_tracking = m_pressed = true;
    ws.invalidate(w.id);
    if (m.kind == Msg::mouse_double_click && kind() == ControlKind::push_button)
        notify_parent(ws, w, Notify::double_clicked);
    return true;
}

bool ButtonControl::mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m_tracking) {
        bool inside = w.surface.rect().contains(m.point);
        if (inside != m_pressed) {
            m_pressed = inside;
            ws.invalidate(w.id);
        }
    }
    return true;
}

bool ButtonControl::mouse_up(WindowSystem& ws, WindowRecord& w, const Message&) {
    if (m_tracking) {
        m_tracking = false;
        bool fire = m_pressed;
        m_pressed = false;
        ws.release_capture();
        ws.invalidate(w.id);
        if (fire) click(ws, w);
    }
    return true;
}

bool ButtonControl::capture_lost(WindowSystem& ws, WindowRecord& w, const Message&) {
    m_tracking = m_pressed = false;
    ws.invalidate(w.id);
    return true;
}

bool ButtonControl::character(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.code != ' ') return false;
    click(ws, w);
    return true;
}

bool ButtonControl::focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

bool ButtonControl::focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

void ButtonControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    IntRect r = w.surface.rect();
    WindowRecord* parent = find_record(ws, w.parent);
    Color back = parent ? parent->background : ui::face;
    Color ink = ws.is_enabled(w.id) ? ui::text : ui::gray_text;
    bool focused = ws.focus() == w.id;
    int text_h = ws.font_of(w)->metrics().height;
    switch (kind()) {
    case ControlKind::push_button: {
        ui::fill(dc, r, ui::face);
        IntRect edge = r;
        if (m_default || focused) {
            ui::frame_rect(dc, r, ui::dark);
            edge = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        }
        if (m_pressed)
            ui::pressed_edge(dc, edge);
        else
            ui::raised_edge(dc, edge);
        int shift = m_pressed ? 1 : 0;
        ui::Align align = label_align(m_align, ui::Align::center);
        // Text at a side keeps clear of the edges.
        int inset = align == ui::Align::center ? 0 : 4;
        ui::draw_label(
            dc, {r.left + inset + shift, r.top + shift, r.right - inset + shift, r.bottom + shift},
            w.title, ink, align);
        if (focused) ui::focus_rect(dc, {r.left + 4, r.top + 4, r.right - 4, r.bottom - 4});
        break;
    }
    case ControlKind::check_box:
    case ControlKind::radio_button: {
        ui::fill(dc, r, back);
        int size = 13;
        int top = r.top + static_cast<int>((r.height() - size) / 2);
        IntRect box{r.left, top, r.left + size, top + size};
        Color inside = m_pressed || !ws.is_enabled(w.id) ? ui::face : ui::window;
        if (kind() == ControlKind::check_box) {
            ui::fill(dc, box, inside);
            ui::sunken_edge(dc, box);
            if (checked) paint_check(dc, box, ink);
        } else {
            DeviceContextStateSaver saver(dc);
            dc.state().pen = {PenStyle::solid, 1, ui::shadow};
            dc.state().brush = Brush::solid(inside);
            dc.draw_ellipse(box);
            if (checked) {
                dc.state().pen = {PenStyle::none, 1, ink};
                dc.state().brush = Brush::solid(ink);
                dc.draw_ellipse({box.left + 4, box.top + 4, box.right - 4, box.bottom - 4});
            }
        }
        IntRect label{r.left + size + 5, r.top, r.right, r.bottom};
        ui::Align align = label_align(m_align, ui::Align::left);
        ui::draw_label(dc, label, w.title, ink, align);
        if (focused) {
            int width = ws.font_of(w)->text_extent(ui::parse_mnemonic(w.title).text).width;
            int ty = r.top + static_cast<int>((r.height() - text_h) / 2);
            int tx = align == ui::Align::left ? label.left
                     : align == ui::Align::right
                         ? label.right - width
                         : label.left + static_cast<int>((label.width() - width) / 2);
            ui::focus_rect(dc, {tx - 2, ty - 1, tx + width + 2, ty + text_h + 1});
        }
        break;
    }
    case ControlKind::group_box: {
        ui::fill(dc, r, back);
        ui::etched_rect(dc, {r.left, r.top + text_h / 2, r.right, r.bottom});
        if (!w.title.empty()) {
            int width = ws.font_of(w)->text_extent(ui::parse_mnemonic(w.title).text).width;
            IntRect t{r.left + 8, r.top, r.left + 12 + width, r.top + text_h};
            ui::fill(dc, t, back);
            ui::draw_label(dc, {t.left + 2, t.top, t.right, t.bottom}, w.title, ink,
                           ui::Align::left, false);
        }
        break;
    }
    default: break;
    }
}

// --- Static text ---

void StaticControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    IntRect r = w.surface.rect();
    WindowRecord* parent = find_record(ws, w.parent);
    ui::fill(dc, r, parent ? parent->background : ui::face);
    ui::Align align = kind() == ControlKind::static_center  ? ui::Align::center
                      : kind() == ControlKind::static_right ? ui::Align::right
                                                            : ui::Align::left;
    int line_h = ws.font_of(w)->metrics().height;
    int y = r.top;
    std::string_view text = w.title;
    Color ink = ws.is_enabled(w.id) ? ui::text : ui::gray_text;
    while (y < r.bottom) {
        size_t nl = text.find('\n');
        ui::draw_label(dc, {r.left, y, r.right, y + line_h}, text.substr(0, nl), ink, align, false);
        if (nl == std::string_view::npos) break;
        text = text.substr(nl + 1);
        y += line_h;
    }
}

// --- Scroll-bar controls ---

bool ScrollBarControl::wants_key(Key k) const {
    return k == Key::up || k == Key::down || k == Key::left || k == Key::right ||
           k == Key::page_up || k == Key::page_down || k == Key::home || k == Key::end;
}

void ScrollBarControl::tell(WindowSystem& ws, WindowRecord& w, ScrollAction action, int position) {
    notify_parent(ws, w, Notify::scrolled, position, static_cast<int>(action));
}

bool ScrollBarControl::mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (m.button != MouseButton::left || state.maximum <= state.minimum) return true;
    ws.set_focus(w.id);
    ScrollLayout l = scroll_layout(w.surface.rect(), bar(), state, ws.metrics());
    switch (scroll_hit(l, m.point)) {
    case ScrollPart::arrow_back: tell(ws, w, ScrollAction::line_up, state.position); break;
    case ScrollPart::arrow_forward: tell(ws, w, ScrollAction::line_down, state.position); break;
    case ScrollPart::page_back: tell(ws, w, ScrollAction::page_up, state.position); break;
    case ScrollPart::page_forward: tell(ws, w, ScrollAction::page_down, state.position); break;
    case ScrollPart::thumb:
        state.dragging = true;
        state.drag_position = state.position;
        state.drag_offset =
            bar() == ScrollBarKind::vertical ? m.point.y - l.thumb.top : m.point.x - l.thumb.left;
        ws.set_capture(w.id);
        break;
    case ScrollPart::none: break;
    }
    return true;
}

bool ScrollBarControl::mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (state.dragging) {
        ScrollLayout l = scroll_layout(w.surface.rect(), bar(), state, ws.metrics());
        int along = bar() == ScrollBarKind::vertical ? m.point.y : m.point.x;
        int pos = scroll_position_at(l, bar(), state, along - state.drag_offset);
        if (pos != state.drag_position) {
            state.drag_position = pos;
            ws.invalidate(w.id);
            tell(ws, w, ScrollAction::thumb_dragged, pos);
        }
    }
    return true;
}

bool ScrollBarControl::mouse_up(WindowSystem& ws, WindowRecord& w, const Message&) {
    if (state.dragging) {
        state.dragging = false;
        state.position = state.drag_position;
        ws.release_capture();
        ws.invalidate(w.id);
        tell(ws, w, ScrollAction::thumb_released, state.position);
    }
    return true;
}

bool ScrollBarControl::capture_lost(WindowSystem& ws, WindowRecord& w, const Message&) {
    if (state.dragging) {
        state.dragging = false;
        ws.invalidate(w.id);
    }
    return true;
}

bool ScrollBarControl::key_down(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (state.maximum <= state.minimum) return false;
    switch (static_cast<Key>(m.code)) {
    case Key::up:
    case Key::left: tell(ws, w, ScrollAction::line_up, state.position); return true;
    case Key::down:
    case Key::right: tell(ws, w, ScrollAction::line_down, state.position); return true;
    case Key::page_up: tell(ws, w, ScrollAction::page_up, state.position); return true;
    case Key::page_down: tell(ws, w, ScrollAction::page_down, state.position); return true;
    case Key::home: tell(ws, w, ScrollAction::thumb_released, state.minimum); return true;
    case Key::end:
        tell(ws, w, ScrollAction::thumb_released, clamp_scroll_position(state, state.maximum));
        return true;
    default: return false;
    }
}

bool ScrollBarControl::focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

bool ScrollBarControl::focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) {
    focus_changed(ws, w, m);
    return true;
}

void ScrollBarControl::paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) {
    paint_scroll_bar(dc, w.surface.rect(), bar(), state, ws.metrics(), ws.is_enabled(w.id));
}

// --- The control API ---

WindowId create_control(WindowSystem& ws, WindowId parent, const ControlDef& def) {
    IntRect r = def.rect.normalized();
    if (!ws.exists(parent) || r.width() > max_square_surface_side ||
        r.height() > max_square_surface_side ||
        static_cast<unsigned>(def.kind) > static_cast<unsigned>(ControlKind::vscroll_bar))
        return no_window;
    WindowDef wd;
    wd.parent = parent;
    wd.rect = r;
    wd.title = def.text;
    wd.visible = false;
    wd.enabled = !def.disabled;
    wd.style.tab_stop = true;
    WindowId id = ws.create_window(wd);
    WindowRecord* w = find_record(ws, id);
    if (!w) return no_window;
    w->control = make_control(def);
    w->control->attach(ws, id);
    w->control_id = def.id;
    w->font = def.font;
    w->background = ui::face;
    w->style.tab_stop = w->control->takes_focus();
    if (def.kind == ControlKind::edit || def.kind == ControlKind::dropdown_edit ||
        def.kind == ControlKind::list_box)
        w->cursor_shape =
            def.kind == ControlKind::list_box ? CursorShape::arrow : CursorShape::ibeam;
    if (def.kind == ControlKind::dropdown_edit) {
        int button = ws.metrics().scroll_bar + 2;
        WindowDef ed;
        ed.parent = id;
        ed.rect = {2, 2, std::max(2, static_cast<int>(r.width()) - button),
                   std::max(2, static_cast<int>(r.height()) - 2)};
        ed.title = def.text;
        WindowId edit = ws.create_window(ed);
        if (WindowRecord* e = find_record(ws, edit)) {
            e->control = std::make_unique<EditControl>();
            e->control->attach(ws, edit);
            e->control_id = def.id;
            e->font = def.font;
            e->owner = id;
            e->cursor_shape = CursorShape::ibeam;
            static_cast<DropDownControl&>(*w->control).edit = edit;
        }
    }
    ws.invalidate(id);
    if (!def.hidden) ws.show_window(id, true);
    return id;
}

WindowId control_by_id(const WindowSystem& ws, WindowId parent, int id) {
    WindowRecord* p = find_record(ws, parent);
    if (!p) return no_window;
    for (WindowId c : p->children)
        if (WindowRecord* w = find_record(ws, c); w && w->control && w->control_id == id) return c;
    return no_window;
}

Control* find_control(const WindowSystem& ws, WindowId id) {
    WindowRecord* w = find_record(ws, id);
    return w ? w->control.get() : nullptr;
}

bool ButtonControl::set_checked(bool on) {
    if (kind() != ControlKind::check_box && kind() != ControlKind::radio_button) return false;
    checked = on;
    window_system().invalidate(window());
    return true;
}

bool check_radio(WindowSystem& ws, std::span<const WindowId> group, WindowId chosen) {
    bool found = false;
    for (WindowId id : group)
        if (auto* b = find_control<ButtonControl>(ws, id)) {
            b->checked = id == chosen;
            found |= id == chosen;
            ws.invalidate(id);
        }
    return found;
}

// The state of a scroll-bar control, or of the window's own bar of that kind.
ScrollBarState* WindowSystem::scroll_state(WindowId id, ScrollBarKind bar) const {
    WindowRecord* w = record(id);
    if (!w) return nullptr;
    if (auto* c = find_control<ScrollBarControl>(*this, id)) return &c->state;
    return bar == ScrollBarKind::vertical ? &w->vbar : &w->hbar;
}

// Applies a change to a scroll bar, keeps its position inside its range and redraws it.
template <typename Change>
bool WindowSystem::change_scroll_state(WindowId id, ScrollBarKind bar, Change change) {
    ScrollBarState* s = scroll_state(id, bar);
    if (!s) return false;
    change(*s);
    s->position = clamp_scroll_position(*s, s->position);
    invalidate(id);
    mark_top_drawn(id);
    return true;
}

bool WindowSystem::set_scroll_range(WindowId id, ScrollBarKind bar, int minimum, int maximum) {
    return change_scroll_state(id, bar, [&](ScrollBarState& s) {
        s.minimum = std::min(minimum, maximum);
        s.maximum = std::max(minimum, maximum);
    });
}

bool WindowSystem::set_scroll_pos(WindowId id, ScrollBarKind bar, int position) {
    return change_scroll_state(id, bar, [&](ScrollBarState& s) { s.position = position; });
}

bool WindowSystem::set_scroll_proportion(WindowId id, ScrollBarKind bar, int proportion) {
    return change_scroll_state(id, bar,
                               [&](ScrollBarState& s) { s.proportion = std::max(proportion, 0); });
}

int WindowSystem::scroll_pos(WindowId id, ScrollBarKind bar) const {
    const ScrollBarState* s = scroll_state(id, bar);
    return s ? s->position : 0;
}

EditControl* find_edit(const WindowSystem& ws, WindowId id) {
    if (auto* d = find_control<DropDownControl>(ws, id)) id = d->edit;
    return find_control<EditControl>(ws, id);
}

} // namespace quillet::host
