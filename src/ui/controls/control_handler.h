// Control notifications of the windowing layer become queue events: buttons give CONTROL
// SELECT then CONTROL DESELECTED, scroll bars a scroll slice, edit fields select and deselect
// as they gain and lose the focus, lists single and double clicks; before them, the text edit
// holding the focus loses it (CONTROL DESELECTED). The edit field holding the focus is the
// pending edit field; an exit character typed in it ends its editing.
#pragma once

#include "ui/objects/object_table.h"
#include "xvt/xvt.h"

#include <cstdint>

namespace quillet {

// A control notification of window n (words: 1 the control's object ID, 2 its control type,
// 3 its native control, 4 and 5 the focus change or the scroll action and position).
void control_handler(int n, const XvtEvent& event);

// A key that reached window n: when it is an exit character of the window's pending edit
// field, the field's editing ends (its text read back, CONTROL DESELECTED with the key queued,
// the focus back to the window) and true is returned; otherwise false.
bool edit_field_exit_key(int n, const XvtEvent& event);

// The pending edit field's object ID; -1 when none.
int32_t pending_edit_field();
// Forgets the pending edit field when it is the control (freed controls).
void forget_pending_edit_field(int32_t id);

// The control handler's part of the ui layer's state (ui_state.h).
inline constexpr int32_t no_edit_field = -1;
struct ControlEvents {
    int32_t pending_field = no_edit_field;
    // The field just left through an exit character: its focus loss is not a second deselect.
    int32_t exited_field = no_edit_field;
};
extern ControlEvents& control_events;

} // namespace quillet
