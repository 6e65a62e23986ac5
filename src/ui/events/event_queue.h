// The event queue between the host's window events and the program's GET EVENT (bif 442): the
// window handler, the control handler and the text-edit callbacks append entries; GET EVENT and
// the key wait take them out in order. The queue also keeps the program's keys (KEYPRESS and
// TXE KEYPRESS entries), counted by the key count of keys_and_mouse.h.
#pragma once

#include "xvt/xvt.h"

#include <cstdint>
#include <string_view>

namespace quillet {

// Event codes, as GET EVENT names them (event_names.def).
enum class EventCode : int32_t {
#define X(code, name, text, x, y) name = code,
#include "ui/events/event_names.def"
#undef X
};

// The name of an event code's first form ("" for an unknown code).
std::string_view event_name(int32_t code);

// Host event kinds that the queue accepts (event_host_kinds.def): the layer's kinds up to 17 and
// the engine's own from 19.
namespace queue_kind {
#define X(kind, name, code) inline constexpr int32_t name = kind;
#include "ui/events/event_host_kinds.def"
#undef X
} // namespace queue_kind

// The event code of a queue kind; -1 for a kind the queue does not take.
int32_t event_code_of_kind(int32_t kind);

inline constexpr uint16_t no_exit_key = 0xFFFF;

// One entry of the queue.
struct QueuedEvent {
    XvtWindow native = no_xvt_window; // the window the event came from
    int32_t window = -1;              // its window number, -1 for none
    int32_t code = 0;                 // EventCode
    // A control's object ID for control events; -1 or -2 for a window's horizontal or vertical
    // scroll bar; the text edit's object ID for text-edit events.
    int32_t detail = 0;
    uint16_t exit_key = no_exit_key; // control deselected through an exit character
    XvtEvent host;                   // a copy of the host event
    bool selection = false;          // TXE KEYPRESS while its text edit had text selected
};

// Appends the host event of window n (queue kind in words[0]) and returns the entry; kinds the
// queue does not take are dropped (nullptr). A run of mouse moves no longer than
// max_queued_mouse_moves is kept: a further move replaces the newest one of the run, so a
// program that never reads its queue keeps a bounded queue while the user moves the mouse.
QueuedEvent* queue_event(int n, const XvtEvent& event);
inline constexpr int max_queued_mouse_moves = 64;

// A control or menu notification of window n, with the fields the event record carries.
struct ControlNotification {
    int32_t kind = queue_kind::control_selected; // queue kind 13 or 19..32
    int32_t id = 0;                              // the control's object ID, or the menu tag
    uint16_t exit_key = no_exit_key;             // kind 20: the exit character that left it
    int32_t position = 0;                        // kinds 21..30: the scroll bar's new position
};
QueuedEvent* queue_control_event(int n, const ControlNotification& notification);

// The scroll slice of a scroll bar of window n: bar is -2 (the window's vertical bar), -1 (its
// horizontal bar) or a scroll-bar control's object ID (whose record the control handler has
// given the new position); action 1 line up/left, 2 line down/right, 3 page up/left, 4 page
// down/right, 5 and 6 the thumb moving and released; position is the one the event carries.
// Queues the scroll event, then runs the program for one slice of ops so that it can follow the
// bar while the host keeps it captured.
void scroll_slice(int n, int32_t bar, bool horizontal, int32_t action, int32_t position);

// Removes every entry and sets the key count to 0.
void clear_event_queue();
// Everything a program leaves in the queue gone: no entries, event mode off, no question pending.
void reset_event_queue();
// The number of entries (for tests and diagnostics).
size_t event_queue_length();

// Event mode: off at start; GET EVENT with a wait of -1 flips it.
bool event_mode();
void set_event_mode(bool on);

// The program's answer to a quit request it received as QUIT (window methods 14 and 15): allow
// ends the session, refuse keeps it.
void answer_quit_request(bool allow);

// The task window's quit event: query true when the host asks whether the session may end,
// false when it ends. Returns whether it may end: with event mode off at once; with event mode
// on the program gets QUIT and runs until it answers through answer_quit_request.
bool host_quit_request(bool query);

// The text edit that the text-edit key path and callbacks serve while they run (id 0: none);
// a key queued meanwhile becomes TXE KEYPRESS, and their notifications carry its object ID.
struct TextEditServed {
    int32_t id = 0;
    XvtTextEdit text_edit = no_xvt_window;
};
extern TextEditServed& text_edit_served; // part of the ui layer's state (ui_state.h)

} // namespace quillet
