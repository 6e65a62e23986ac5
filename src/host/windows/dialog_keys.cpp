// Keyboard navigation in dialogs, before a key reaches the focused control: Tab and Shift+Tab
// through the tab-stop controls, arrows among radio buttons, Enter for the default button,
// Escape to cancel. It goes through the controls' common interface only.
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <algorithm>

namespace quillet::host {

namespace {

bool focusable(const WindowSystem& ws, WindowId id) {
    WindowRecord* w = find_record(ws, id);
    return w && w->control && w->control->takes_focus() && w->owner == no_window &&
           ws.is_shown(id) && w->enabled;
}

} // namespace

// Keyboard navigation before a key reaches the focused control. True when the key was used.
bool WindowSystem::dialog_key(WindowRecord& target, Key key, uint8_t modifiers) {
    if (m_menu || (modifiers & mod_alt)) return false;
    WindowRecord* control = target.control ? &target : nullptr;
    if (control && control->owner != no_window)
        control = record(control->owner); // the edit part of a drop-down
    WindowId top_id = top_level_of(target.id);
    WindowRecord* top = record(top_id);
    if (!top) return false;
    bool is_dialog = top->dialog;
    if (control && control->control->wants_key(key)) return false;
    if (control && control->control->has_popup_open()) return false;
    WindowId parent = control ? control->parent : top_id;
    std::vector<WindowId> order;
    for (WindowId c : children(parent))
        if (focusable(*this, c)) order.push_back(c);
    switch (key) {
    case Key::tab: {
        if (!is_dialog && !control) return false;
        if (order.empty()) return true;
        auto it = control ? std::find(order.begin(), order.end(), control->id) : order.end();
        int n = static_cast<int>(order.size());
        int i = it == order.end() ? -1 : static_cast<int>(it - order.begin());
        int next = (modifiers & mod_shift) ? (i <= 0 ? n - 1 : i - 1) : (i + 1) % n;
        set_focus(order[next]);
        if (WindowRecord* next_control = record(order[next]); next_control && next_control->control)
            next_control->control->tabbed_into(*this, *next_control);
        return true;
    }
    case Key::up:
    case Key::down:
    case Key::left:
    case Key::right: {
        if (!control || control->control->kind() != ControlKind::radio_button) return false;
        std::vector<WindowId> all = children(parent);
        auto self = std::find(all.begin(), all.end(), control->id);
        bool back = key == Key::up || key == Key::left;
        auto is_radio = [&](WindowId id) { return control_kind(id) == ControlKind::radio_button; };
        if (back && self != all.begin() && is_radio(*(self - 1)) && focusable(*this, *(self - 1))) {
            set_focus(*(self - 1));
            record(*(self - 1))->control->click(*this, *record(*(self - 1)));
        } else if (!back && self + 1 != all.end() && is_radio(*(self + 1)) &&
                   focusable(*this, *(self + 1))) {
            set_focus(*(self + 1));
            record(*(self + 1))->control->click(*this, *record(*(self + 1)));
        }
        return true;
    }
    case Key::enter: {
        if (!is_dialog) return false;
        WindowId button = no_window;
        if (control && control->control->kind() == ControlKind::push_button) button = control->id;
        for (WindowId c : children(top_id))
            if (!button && focusable(*this, c) && control_kind(c) == ControlKind::push_button &&
                record(c)->control->is_default())
                button = c;
        if (!button) return false;
        record(button)->control->click(*this, *record(button));
        return true;
    }
    case Key::escape:
        if (!is_dialog) return false;
        post({top_id, Msg::close});
        return true;
    default: return false;
    }
}

} // namespace quillet::host
