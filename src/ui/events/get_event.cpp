#include "ui/events/get_event.h"

#include "interp/fatal.h"
#include "interp/registers.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"
#include "ui/events/event_queue.h"
#include "ui/events/event_queue_state.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_table.h"
#include "ui/window_table.h"

#include <algorithm>
#include <array>

namespace quillet {
namespace {

constexpr int32_t thumb_released = 5; // the layer's scroll actions: 5 released, 6 dragged
constexpr int32_t last_window_bar = -1;
constexpr int32_t highest_plain_detail = 100; // object IDs start above it

constexpr std::array<const char*, 9> click_names = {
    "SINGLE",       "DOUBLE",        "EXTEND",        "SINGLE RIGHT", "DOUBLE RIGHT",
    "EXTEND RIGHT", "SINGLE MIDDLE", "DOUBLE MIDDLE", "EXTEND MIDDLE"};
constexpr std::array<const char*, 3> mouse_up_names = {"MOUSE UP", "MOUSE UP RIGHT",
                                                       "MOUSE UP MIDDLE"};

int32_t low_word(int32_t word) {
    return static_cast<int16_t>(word & 0xFFFF);
}
int32_t high_word(int32_t word) {
    return static_cast<int16_t>(static_cast<uint32_t>(word) >> 16);
}
int32_t button_of(const XvtEvent& e) {
    return std::clamp(e.words[4], 0, 2);
}

} // namespace

void end_event_wait() {
    if (engine_timers.get_event == 0) return;
    if (xvt_host_window(event_queue.wait_window) != 0) xp_timer_destroy(engine_timers.get_event);
    engine_timers.get_event = 0;
    event_queue.wait_window = no_xvt_window;
}

void wait_for_event(int32_t seconds) {
    int32_t ms = static_cast<int32_t>(std::min<int64_t>(int64_t{seconds} * 1000, INT32_MAX));
    XvtWindow window = timer_window();
    if (window == no_xvt_window) {
        xvt_timed_wait(ms); // no window system: nothing can arrive
        return;
    }
    engine_timers.get_event = xp_timer_create(window, ms);
    event_queue.wait_window = window;
    // The window's timer event and queue_event both kill the timer and clear the slot.
    while (engine_timers.get_event != 0) {
        // The session has ended: no event can come any more, and the program ends as when its
        // window is closed.
        if (!xvt_wait_message()) program_exit();
        act_on_exit_request();
        // A window freed meanwhile took its timer with it.
        if (xvt_host_window(window) == 0) end_event_wait();
    }
}

namespace {

bool is_scroll(int32_t code) {
    return code >= static_cast<int32_t>(EventCode::up) &&
           code <= static_cast<int32_t>(EventCode::hscroll);
}

// A control event of a freed control is handed out as the empty event.
bool control_freed(int32_t id) {
    return find_object(id) == nullptr;
}

// The window of the entry was freed (or its slot given to a new window) since it was queued.
bool window_freed(const QueuedEvent& e) {
    if (e.window < 0) return false;
    const WindowRecord& record = window_record(e.window);
    if (!record.in_use()) return true;
    return e.native != no_xvt_window && record.native_window != e.native;
}

void name_scroll(const QueuedEvent& e, int32_t code, EventResult& r) {
    if (e.detail >= 0 && e.detail <= highest_plain_detail)
        fatal_stop("Internal error: unable to get scrollbar position from event.");
    if (e.detail <= last_window_bar) {
        const WindowRecord& record = window_record(e.window);
        r.x = e.detail == last_window_bar ? record.horizontal_scroll.position
                                          : record.vertical_scroll.position;
        r.y = 0;
    } else {
        r.x = e.host.words[5];
        r.y = e.detail;
    }
    bool released = e.host.words[3] == thumb_released;
    switch (static_cast<EventCode>(code)) {
    case EventCode::vscroll: r.name = released ? "END VSCROLL" : "VSCROLL"; break;
    case EventCode::hscroll: r.name = released ? "END HSCROLL" : "HSCROLL"; break;
    default: r.name = event_name(code);
    }
}

// Names the entry as a program sees it; false when it is handed out as the empty event.
bool name_event(const QueuedEvent& e, int32_t code, EventResult& r) {
    const XvtEvent& h = e.host;
    IntPoint point = xvt_unpack_point(h.words[1]);
    switch (static_cast<EventCode>(code)) {
    case EventCode::keypress:
        r.x = low_word(h.words[1]);
        r.y = (h.words[2] ? 1 : 0) + (h.words[3] ? 2 : 0);
        break;
    case EventCode::single_click:
    case EventCode::double_click:
    case EventCode::extend_click:
        r.name = click_names[static_cast<size_t>(button_of(h) * 3 + code - 2)];
        r.x = point.x;
        r.y = point.y;
        return true;
    case EventCode::select: r.x = h.words[1] ? 1 : 0; break;
    case EventCode::size:
    case EventCode::refresh:
    case EventCode::hide:
    case EventCode::quit:
    case EventCode::help: break;
    case EventCode::control_select:
    case EventCode::control_single:
    case EventCode::control_double:
        if (control_freed(e.detail)) return false;
        r.y = e.detail;
        break;
    case EventCode::control_deselected:
        if (control_freed(e.detail)) return false;
        r.x = static_cast<int16_t>(e.exit_key);
        r.y = e.detail;
        break;
    case EventCode::menu: r.y = h.words[1]; break;
    case EventCode::txe_vscroll:
    case EventCode::txe_hscroll:
        r.x = low_word(h.words[2]);
        r.y = e.detail;
        break;
    case EventCode::txe_mouse:
        r.x = point.y * 65536 + point.x;
        r.y = e.detail;
        break;
    case EventCode::txe_keypress:
        r.x = (h.words[1] & 0xFFFF) + (h.words[2] ? 256 : 0) + (h.words[3] ? 512 : 0);
        r.y = e.selection ? -e.detail : e.detail;
        break;
    case EventCode::selection:
        r.x = low_word(h.words[1]);
        r.y = high_word(h.words[1]);
        break;
    case EventCode::mouse_move:
        r.x = point.x;
        r.y = point.y;
        break;
    case EventCode::mouse_up:
        r.name = mouse_up_names[static_cast<size_t>(button_of(h))];
        r.x = point.x;
        r.y = point.y;
        return true;
    default:
        if (!is_scroll(code)) return false;
        name_scroll(e, code, r);
        return true;
    }
    r.name = event_name(code);
    return true;
}

} // namespace

GetEventOutcome get_event(int32_t wait, EventResult& result) {
    using enum GetEventOutcome;
    if (wait == -1) {
        set_event_mode(!event_mode());
        return nothing_stored;
    }
    if (!event_mode()) return nothing_stored;
    result = EventResult{};
    auto& entries = event_queue.entries;
    if (entries.empty()) return !vm.in_slice && wait > 0 ? stored_then_wait : stored;
    const QueuedEvent& head = entries.front();
    bool freed = window_freed(head);
    int32_t code = freed ? 0 : head.code;
    if (vm.in_slice && wait > 0) {
        end_event_wait();
        // A slice hands out only what following the scroll bar needs.
        if (code != static_cast<int32_t>(EventCode::refresh) && !is_scroll(code)) return stored;
    }
    // A key leaves the key count whether or not its window is still there.
    if (head.code == static_cast<int32_t>(EventCode::keypress) ||
        head.code == static_cast<int32_t>(EventCode::txe_keypress))
        --key_queue.key_count;
    EventResult named;
    if (!freed) named.window = head.window;
    if (name_event(head, code, named)) result = named;
    drop_head_event();
    return stored;
}

} // namespace quillet
