#include "ui/text_edits/text_edit_input.h"

#include "ui/events/event_queue.h"
#include "ui/keys_and_mouse.h"
#include "ui/text_edits/text_edit_lifecycle.h"

namespace quillet {
namespace {

// The text edit served while its key path or callback runs: a key queued meanwhile is its TXE
// KEYPRESS, and its notifications carry its object ID.
class Served {
public:
    Served(int32_t id, XvtTextEdit tx) : m_saved(text_edit_served) { text_edit_served = {id, tx}; }
    ~Served() { text_edit_served = m_saved; }
    Served(const Served&) = delete;
    Served& operator=(const Served&) = delete;

private:
    TextEditServed m_saved;
};

void queue_origin(int n, int32_t kind, int32_t origin) {
    XvtEvent e;
    e.words[0] = kind;
    e.words[2] = origin & 0xFFFF;
    queue_event(n, e);
}

bool spans_lines(const TxSelection& s) {
    return s.start.paragraph != s.end.paragraph || s.start.line != s.end.line;
}

// The shown text edit of window n under the point: the active one first.
ObjectEntry* text_edit_at(int n, IntPoint p) {
    auto inside = [&](ObjectEntry* entry) {
        TextEditState* s = entry ? text_edit_state(*entry) : nullptr;
        if (!s || entry->window != n || made_text_edit(*s) == no_xvt_window) return false;
        IntRect r = xp_tx_get_rect(s->handle);
        return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
    };
    if (ObjectEntry* active = active_text_edit(); inside(active)) return active;
    for (int32_t id : window_record(n).objects)
        if (ObjectEntry* entry = find_object(id); inside(entry)) return entry;
    return nullptr;
}

void queue_control(int n, int32_t kind, int32_t id) {
    queue_control_event(n, {.kind = kind, .id = id});
}

} // namespace

void text_edit_scrolled(int32_t id, const TxScrollNotice& notice) {
    ObjectEntry* entry = find_object(id);
    TextEditState* s = entry ? text_edit_state(*entry) : nullptr;
    if (!s || text_edit_engine.in_progress) return;
    Served served(id, s->handle);
    if (notice.vertical != tx_unchanged)
        queue_origin(entry->window, queue_kind::text_edit_vscroll, notice.vertical);
    if (notice.horizontal != tx_unchanged)
        queue_origin(entry->window, queue_kind::text_edit_hscroll, notice.horizontal);
}

bool trap_key(TextEditState& s, int32_t key) {
    std::optional<int32_t> action = s.traps.action_of(key);
    if (!action) return false;
    switch (*action) {
    case trap_action::suspend: suspend_text_edit(s); return true;
    case trap_action::keep:
    case trap_action::keep_too: return true;
    case trap_action::suspend_if_selected: {
        TxSelection sel = xp_tx_get_sel(s.handle);
        if (sel.start == sel.end) return false;
        suspend_text_edit(s);
        return true;
    }
    case trap_action::suspend_if_lines:
        if (!spans_lines(xp_tx_get_sel(s.handle))) return false;
        suspend_text_edit(s);
        return true;
    default: return false; // an action of no meaning traps nothing
    }
}

bool text_edit_key(int n, const XvtEvent& event) {
    ObjectEntry* entry = active_text_edit();
    if (!entry || entry->window != n) return false;
    TextEditState& s = *text_edit_state(*entry);
    if (!s.has(edit_flag::focus) || s.inactive) return false;
    Served served(entry->id, s.handle);
    const bool key_events = s.has(edit_flag::key_events);
    if (key_events) queue_key(n, event, true);
    if (trap_key(s, static_cast<int16_t>(event.words[1] & 0xFFFF))) {
        if (!key_events) queue_key(n, event, true);
        return true;
    }
    xp_tx_process_event(s.handle, event);
    return true;
}

bool text_edit_mouse(int n, const XvtEvent& event) {
    const IntPoint p = xvt_unpack_point(event.words[1]);
    ObjectEntry* hit = text_edit_at(n, p);
    ObjectEntry* active = active_text_edit();
    if (event.kind() == EventKind::mouse_up) {
        if (!hit || hit != active || !text_edit_state(*hit)->has(edit_flag::mouse_events))
            return false;
        Served served(hit->id, text_edit_state(*hit)->handle);
        XvtEvent e = event;
        e.words[0] = queue_kind::text_edit_mouse_up;
        queue_event(n, e);
        return true;
    }
    if (active && active != hit) {
        TextEditState& as = *text_edit_state(*active);
        if (as.has(edit_flag::focus)) {
            as.flags &= ~edit_flag::focus;
            queue_control(active->window, queue_kind::control_deselected, active->id);
            if (!hit) xp_scr_set_focus_vobj(window_record(n).native_window);
        }
    }
    if (!hit) return false;
    TextEditState& hs = *text_edit_state(*hit);
    if (hit != active || hs.inactive || !hs.has(edit_flag::focus)) {
        activate_text_edit(*hit, hs);
        queue_control(n, queue_kind::control_selected, hit->id);
    }
    return true;
}

} // namespace quillet
