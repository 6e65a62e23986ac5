// The event queue's state, private to the queue's files.
#pragma once

#include "ui/events/event_queue.h"

#include <list>

namespace quillet {

struct EventQueueState {
    std::list<QueuedEvent> entries; // oldest first
    bool event_mode = false;
    // The scroll bar of the newest scroll slice: -2 a window's vertical bar, -1 its horizontal
    // bar, else a scroll-bar control's object ID.
    int32_t last_scroll_bar = 0;
    // 2 while the program is asked about a quit request, then its answer: 1 allow, 0 refuse.
    int32_t pending_quit = 0;
    XvtWindow wait_window = no_xvt_window; // the window GET EVENT's wait timer runs on
};

extern EventQueueState& event_queue; // part of the ui layer's state (ui_state.h)

// Unlinks the head entry.
void drop_head_event();

// Ends GET EVENT's wait: its timer is killed (unless it died with its window) and its slot
// cleared.
void end_event_wait();

} // namespace quillet
