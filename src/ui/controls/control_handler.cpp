#include "ui/controls/control_handler.h"

#include "interp/registers.h"
#include "ui/controls/control_state.h"
#include "ui/events/event_queue.h"
#include "ui/objects/object_errors.h"
#include "ui/text_edits/text_edit_lifecycle.h"
#include "values/errors.h"

#include <array>

namespace quillet {
namespace {

constexpr size_t max_read_back = 1024;

void queue(int n, int32_t kind, int32_t id, uint16_t exit_key = no_exit_key) {
    queue_control_event(n, {.kind = kind, .id = id, .exit_key = exit_key});
}

void read_back_text(ControlKindState& s) {
    if (s.native == no_xvt_window) return;
    std::array<char, max_read_back + 1> buffer{};
    int32_t n = xp_vobj_get_title(s.native, buffer);
    s.text.assign(buffer.data(), static_cast<size_t>(std::max(n, 0)));
}

// Check marks change only when the program sets a state: a click leaves every check box and
// radio button of the window showing its stored state.
void restore_check_marks(int n) {
    for (int32_t id : window_record(n).objects) {
        ObjectEntry* entry = find_object(id);
        ControlKindState* s = entry ? find_control_state(*entry) : nullptr;
        int32_t kind = entry ? entry->control.kind : 0;
        if (s && s->native != no_xvt_window &&
            (kind == control_kind::check_box || kind == control_kind::radio_button))
            xp_ctl_set_checked(s->native, s->state != 0);
    }
}

// The indexes the native list has selected now.
std::vector<int32_t> native_selection(const ControlKindState& s) {
    std::vector<int32_t> out;
    for (const XvtSlistItem& item : xp_list_get_sel(s.native))
        out.push_back(static_cast<int32_t>(item.data));
    return out;
}

// A single click, also on the item already selected (a click gives the box the focus first); a
// list box losing the focus arrives the same way, without the focus and with the selection as it
// was, and is no click.
void list_notification(int n, ControlKindState& s, int32_t id, bool double_click) {
    std::vector<int32_t> selection = native_selection(s);
    bool changed = selection != s.seen_selection;
    s.seen_selection = std::move(selection);
    if (double_click)
        queue(n, queue_kind::control_double_click, id);
    else if (changed || xvt_scr_get_focus_vobj() == s.native)
        queue(n, queue_kind::control_single_click, id);
}

void scroll_bar_notification(int n, ObjectEntry& entry, ControlKindState& s,
                             const XvtEvent& event) {
    int32_t action = event.words[4];
    bool thumb = action == 5 || action == 6;
    int32_t position = thumb ? event.words[5] : xp_sbar_get_pos(s.native, 0);
    s.bar.position = position;
    scroll_slice(n, entry.id, entry.control.kind == control_kind::hscroll_bar, action, position);
}

void focus_change(int n, ObjectEntry& entry, ControlKindState& s, const XvtEvent& event,
                  bool edit_field) {
    if (event.words[4] == 0) return; // not a focus change
    int32_t id = entry.id;
    if (event.words[5] == 0) {
        read_back_text(s);
        if (edit_field) control_events.pending_field = no_edit_field;
        if (control_events.exited_field == id) {
            control_events.exited_field = no_edit_field;
            return;
        }
        queue(n, queue_kind::control_deselected, id);
        return;
    }
    if (edit_field) control_events.pending_field = id;
    if (control_events.exited_field == id) control_events.exited_field = no_edit_field;
    queue(n, queue_kind::control_selected, id);
    read_back_text(s);
    if (!s.text.empty()) xp_ctl_set_text_sel(s.native, 0, -1);
}

// A notification that reports the control losing the focus: the focus went elsewhere, maybe to
// the text edit itself (whose activation moves the focus). A list reports its focus loss as a
// click, without the focus.
bool focus_lost(int32_t kind, const ControlKindState& s, const XvtEvent& event) {
    switch (kind) {
    case control_kind::edit:
    case control_kind::list_edit: return event.words[4] != 0 && event.words[5] == 0;
    case control_kind::list_box:
    case control_kind::list_button: return xvt_scr_get_focus_vobj() != s.native;
    default: return false;
    }
}

// Another control taking part takes the focus from the text edit holding it, unless it is one of
// the text edit's own scroll bars.
void deselect_text_edit(int32_t id) {
    ObjectEntry* active = active_text_edit();
    TextEditState* s = active ? text_edit_state(*active) : nullptr;
    if (!s || s->inactive || !s->has(edit_flag::focus) || s->hscroll == id || s->vscroll == id)
        return;
    s->flags &= ~edit_flag::focus;
    queue(active->window, queue_kind::control_deselected, active->id);
}

} // namespace

void control_handler(int n, const XvtEvent& event) {
    int32_t id = event.words[1];
    ObjectEntry* entry = find_object(id);
    ControlKindState* s =
        entry && entry->kind == object_kind::control ? find_control_state(*entry) : nullptr;
    if (!s || s->native == no_xvt_window) return;
    int32_t kind = entry->control.kind;
    if (!focus_lost(kind, *s, event)) deselect_text_edit(id);
    if (kind != control_kind::edit) control_events.pending_field = no_edit_field;
    switch (kind) {
    case control_kind::push_button:
    case control_kind::radio_button:
    case control_kind::check_box:
        restore_check_marks(n);
        queue(n, queue_kind::control_selected, id);
        queue(n, queue_kind::control_deselected, id);
        return;
    case control_kind::hscroll_bar:
    case control_kind::vscroll_bar: scroll_bar_notification(n, *entry, *s, event); return;
    case control_kind::edit: focus_change(n, *entry, *s, event, true); return;
    case control_kind::list_box: list_notification(n, *s, id, event.words[4] != 0); return;
    case control_kind::list_button: list_notification(n, *s, id, false); return;
    case control_kind::list_edit: focus_change(n, *entry, *s, event, false); return;
    default: return;
    }
}

bool edit_field_exit_key(int n, const XvtEvent& event) {
    int32_t id = control_events.pending_field;
    if (id == no_edit_field) return false;
    ObjectEntry* entry = find_object(id);
    ControlKindState* s = entry ? find_control_state(*entry) : nullptr;
    int32_t key = static_cast<int16_t>(event.words[1] & 0xFFFF);
    if (!s || entry->window != n || s->native == no_xvt_window || !s->exit_chars.contains(key))
        return false;
    read_back_text(*s);
    queue(n, queue_kind::control_deselected, id, static_cast<uint16_t>(key));
    control_events.exited_field = id;
    control_events.pending_field = no_edit_field;
    xp_scr_set_focus_vobj(window_record(n).native_window);
    return true;
}

// Object method 7: an edit field also becomes the pending edit field with the caret at the end
// of its text.
void ControlKindState::focus(ObjectEntry& entry) {
    if (entry.kind != object_kind::control || !(entry.flags & object_flag::shown)) return;
    int32_t kind = entry.control.kind;
    if (!control_kind::is_native(kind)) raise_error(object_error::unknown_control_kind);
    if (native == no_xvt_window) return;
    xp_scr_set_focus_vobj(native);
    if (kind != control_kind::edit) return;
    control_events.pending_field = entry.id;
    xp_ctl_set_text_sel(native, -1, -1);
    if (vm.pump_enabled) process_host_messages();
}

int32_t pending_edit_field() {
    return control_events.pending_field;
}

void forget_pending_edit_field(int32_t id) {
    if (control_events.pending_field == id) control_events.pending_field = no_edit_field;
    if (control_events.exited_field == id) control_events.exited_field = no_edit_field;
}

} // namespace quillet
