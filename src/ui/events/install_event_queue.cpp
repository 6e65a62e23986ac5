#include "ui/events/event_queue.h"
#include "ui/events/event_queue_state.h"
#include "ui/events/key_entries.h"
#include "ui/objects/object_hooks.h"
#include "ui/objects/object_table.h"
#include "ui/ui_seams.h"

namespace quillet {
namespace {

constexpr int32_t horizontal_bar = -1;
constexpr int32_t vertical_bar = -2;

void queue_window_event(int n, const XvtEvent& event) {
    queue_event(n, event);
}

// A window's own scroll bar: word 1 the action, word 2 the thumb's position.
void window_scroll(int n, const XvtEvent& event, bool vertical) {
    scroll_slice(n, vertical ? vertical_bar : horizontal_bar, !vertical, event.words[1],
                 event.words[2]);
}

bool object_in_use(int32_t id) {
    return find_object(id) != nullptr;
}

} // namespace

void install_event_queue() {
    event_queue_hooks.control_in_use = object_in_use;
    ui_seams.queue_event = queue_window_event;
    ui_seams.queue_key = queue_key_entry;
    ui_seams.take_key = take_key_entry;
    ui_seams.event_mode = event_mode;
    ui_seams.scroll = window_scroll;
}

void reset_event_queue() {
    clear_event_queue();
    event_queue = EventQueueState{};
}

} // namespace quillet
