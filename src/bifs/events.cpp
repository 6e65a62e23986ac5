// The event bif (GET EVENT) and the window channel lists.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "ui/events/get_event.h"
#include "ui/events/window_channels.h"
#include "values/strings.h"

namespace quillet {
namespace {

void get_event() {
    int32_t wait = int_operand();
    Addr name = str_operand();
    Addr window = num_operand();
    Addr x = num_operand();
    Addr y = num_operand();
    EventResult result;
    GetEventOutcome outcome = quillet::get_event(wait, result);
    if (outcome == GetEventOutcome::nothing_stored) return;
    str_set(name, result.name);
    num_set_int(window, result.window);
    num_set_int(x, result.x);
    num_set_int(y, result.y);
    if (outcome == GetEventOutcome::stored_then_wait) wait_for_event(wait);
}

void window_channel_add() {
    int32_t window = int_operand();
    int32_t channel = int_operand();
    add_window_channel(window, channel);
}

void window_channel_remove() {
    int32_t window = int_operand();
    int32_t channel = int_operand();
    remove_window_channel(window, channel);
}

void window_channel_next() {
    int32_t window = int_operand();
    Addr a_cell = num_operand();
    Addr b_cell = num_operand();
    Addr index_cell = num_operand();
    int32_t index = num_to_int32(load_cell(index_cell));
    int32_t a = 0;
    int32_t b = 0;
    if (next_window_channel(window, a, b, index)) {
        num_set_int(a_cell, a);
        num_set_int(b_cell, b);
    }
    num_set_int(index_cell, index);
}

void window_channel_remove_pair() {
    int32_t window = int_operand();
    int32_t a = int_operand();
    int32_t b = int_operand();
    remove_window_channel_pair(window, a, b);
}

} // namespace

void install_event_bifs(BifTable& t) {
    t.install(bif::get_event, get_event);
    t.install(bif::window_channel_add, window_channel_add);
    t.install(bif::window_channel_remove, window_channel_remove);
    t.install(bif::window_channel_next, window_channel_next);
    t.install(bif::window_channel_remove_pair, window_channel_remove_pair);
}

} // namespace quillet
