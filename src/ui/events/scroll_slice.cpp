// Live scrolling: a scroll bar's event is queued, then the program runs for a slice of ops while
// the host keeps the bar captured, so that it can follow the thumb as it moves.
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "ui/events/event_queue.h"
#include "ui/events/event_queue_state.h"
#include "ui/switch_stack.h"
#include "ui/window_table.h"

namespace quillet {
namespace {

constexpr int32_t horizontal_bar = -1;
constexpr int32_t vertical_bar = -2;
// The layer's scroll actions of the thumb.
constexpr int32_t thumb_released = 5;
constexpr int32_t thumb_dragged = 6;

// The layer's bar number of a window bar: 0 the horizontal, 1 the vertical one.
int32_t layer_bar(int32_t bar) {
    return bar == vertical_bar ? 1 : 0;
}

} // namespace

void scroll_slice(int n, int32_t bar, bool horizontal, int32_t action, int32_t position) {
    if (action < 1 || action > thumb_dragged) return;
    event_queue.last_scroll_bar = bar;
    bool thumb = action == thumb_released || action == thumb_dragged;
    if (bar == horizontal_bar || bar == vertical_bar) {
        WindowRecord* record = find_window(n);
        if (!record) return;
        ScrollBarSettings& settings =
            horizontal ? record->horizontal_scroll : record->vertical_scroll;
        settings.position =
            thumb ? position : xp_sbar_get_pos(record->native_window, layer_bar(bar));
    }
    static constexpr int32_t kinds[] = {queue_kind::vscroll_line_up, queue_kind::vscroll_line_down,
                                        queue_kind::vscroll_page_up, queue_kind::vscroll_page_down,
                                        queue_kind::vscroll_thumb,   queue_kind::vscroll_thumb};
    XvtEvent event;
    event.words[0] = kinds[action - 1] + (horizontal ? 1 : 0);
    event.words[1] = bar & 0xFFFF;
    event.words[3] = action;
    event.words[5] = position;
    queue_event(n, event);

    push_switch(vm.pump_enabled);
    vm.pump_enabled = 0;
    run_op_slice();
    vm.pump_enabled = pop_switch();
}

} // namespace quillet
