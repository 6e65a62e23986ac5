#include "ui/events/event_queue.h"

#include "ui/events/event_queue_state.h"
#include "ui/keys_and_mouse.h"
#include "ui/window_table.h"

namespace quillet {
namespace {

constexpr int32_t shift_word = 2;

bool is_key(int32_t code) {
    return code == static_cast<int32_t>(EventCode::keypress) ||
           code == static_cast<int32_t>(EventCode::txe_keypress);
}

// The mouse moves at the tail of the queue, up to the cap.
int tail_mouse_moves() {
    int run = 0;
    for (auto it = event_queue.entries.rbegin();
         it != event_queue.entries.rend() && run < max_queued_mouse_moves &&
         it->code == static_cast<int32_t>(EventCode::mouse_move);
         ++it)
        ++run;
    return run;
}

// The text edit's selection spans text when start and end differ in any part.
bool has_selection(const TxSelection& s) {
    return s.start != s.end;
}

void queue_selection_parts(int n, const XvtEvent& event, const TxSelection& s) {
    auto pack = [](int32_t start, int32_t end) {
        return static_cast<int32_t>((static_cast<uint32_t>(start) & 0xFFFF) |
                                    (static_cast<uint32_t>(end) << 16));
    };
    for (int32_t words : {pack(s.start.paragraph, s.end.paragraph), pack(s.start.line, s.end.line),
                          pack(s.start.character, s.end.character)}) {
        XvtEvent part = event;
        part.words[0] = queue_kind::text_edit_selection;
        part.words[1] = words;
        queue_event(n, part);
    }
}

} // namespace

QueuedEvent* queue_event(int n, const XvtEvent& event) {
    int32_t kind = event.words[0];
    int32_t code = event_code_of_kind(kind);
    if (code < 0) return nullptr;
    QueuedEvent entry;
    if (n >= 0 && n < window_count)
        entry.native = window_record(n).native_window;
    else if (kind == queue_kind::quit)
        entry.native = xvt_task_window();
    entry.window = n >= 0 && n < window_count ? n : -1;
    entry.host = event;
    entry.code = code;
    switch (kind) {
    case queue_kind::mouse_down:
        if (event.words[shift_word]) entry.code = static_cast<int32_t>(EventCode::extend_click);
        break;
    case queue_kind::character:
        if (text_edit_served.id != 0) {
            entry.code = static_cast<int32_t>(EventCode::txe_keypress);
            entry.detail = text_edit_served.id;
            entry.selection = has_selection(xp_tx_get_sel(text_edit_served.text_edit));
        }
        break;
    case queue_kind::control_selected:
    case queue_kind::control_deselected:
    case queue_kind::control_single_click:
    case queue_kind::control_double_click: entry.detail = event.words[1] & 0xFFFF; break;
    case queue_kind::text_edit_vscroll:
    case queue_kind::text_edit_hscroll:
    case queue_kind::text_edit_mouse_up:
    case queue_kind::text_edit_selection: entry.detail = text_edit_served.id; break;
    default:
        if (kind >= queue_kind::vscroll_line_up && kind <= queue_kind::hscroll_thumb)
            entry.detail = event_queue.last_scroll_bar;
        break;
    }
    if (entry.code == static_cast<int32_t>(EventCode::mouse_move) &&
        tail_mouse_moves() >= max_queued_mouse_moves) {
        // The newest move stands for the ones it replaces: the pointer's latest position.
        event_queue.entries.back() = entry;
        return &event_queue.entries.back();
    }
    QueuedEvent& queued = event_queue.entries.emplace_back(entry);
    end_event_wait(); // the next GET EVENT hands the event out
    if (is_key(queued.code)) ++key_queue.key_count;
    if (queued.selection) {
        TxSelection s = xp_tx_get_sel(text_edit_served.text_edit);
        queue_selection_parts(n, event, s);
    }
    return &queued;
}

QueuedEvent* queue_control_event(int n, const ControlNotification& notification) {
    XvtEvent event;
    event.words[0] = notification.kind;
    event.words[1] =
        notification.kind == queue_kind::menu ? notification.id : notification.id & 0xFFFF;
    event.words[5] = notification.position;
    QueuedEvent* entry = queue_event(n, event);
    if (entry && notification.kind == queue_kind::control_deselected)
        entry->exit_key = notification.exit_key;
    return entry;
}

void clear_event_queue() {
    event_queue.entries.clear();
    key_queue.key_count = 0;
}

void reset_event_queue() {
    clear_event_queue();
    event_queue = EventQueueState{};
}

size_t event_queue_length() {
    return event_queue.entries.size();
}

void drop_head_event() {
    event_queue.entries.pop_front();
}

bool event_mode() {
    return event_queue.event_mode;
}

void set_event_mode(bool on) {
    event_queue.event_mode = on;
}

} // namespace quillet
