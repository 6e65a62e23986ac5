// The native controls of the windowing layer behind control objects: making them at the first
// SHOW, laying them out again on redraw, and the changes a shown control takes at once (the
// control interface of ControlKindState, control_state.h, with these helpers).
#pragma once

#include "ui/controls/control_state.h"

namespace quillet {

// Appends a control just made on screen to its window's object list (its focus order), once.
void list_made_control(const ObjectEntry& entry);

// Replaces a made list's items with the state's list and selects the state's selection.
void refill_native_list(ObjectEntry& entry);
// Notes the native list's selection as the program left it (a later notification that leaves it
// unchanged is no click).
void remember_list_selection(ControlKindState& s);
// Shows the state's check mark on a made check box or radio button; a radio button of a
// button group that is checked unchecks the other members (their state becomes 0).
void show_button_state(ObjectEntry& entry);

} // namespace quillet
