// The native controls of the windowing layer behind control objects: making them at the first
// SHOW, laying them out again on redraw, and the changes a shown control takes at once.
#pragma once

#include "ui/controls/control_state.h"

namespace quillet {

// SHOW: the first time, makes the native control in the owning window (rectangle with its
// relative edges, text, flags, list and scroll settings) and lists the object in the window's
// object list; afterwards only makes it visible again. Nothing while the window has no native
// window yet (its first redraw makes it then).
void make_native_control(ObjectEntry& entry);
// Display-list replay of window n: moves a made control with relative edges to where the
// window's size puts it; makes a shown control whose window has come to exist since its SHOW.
void relayout_control(int n, int32_t id);
// Appends a control just made on screen to its window's object list (its focus order), once.
void list_made_control(const ObjectEntry& entry);

void hide_native_control(ObjectEntry& entry);
// Destroys the native control (when made) and drops the kind's state.
void free_native_control(ObjectEntry& entry);
void move_native_control(ObjectEntry& entry, const IntRect& old);
// Enables or disables a made control; -11257 for a kind without a native control.
void set_native_sensitive(ObjectEntry& entry, bool sensitive);

// Replaces a made list's items with the state's list and selects the state's selection.
void refill_native_list(ObjectEntry& entry);
// Notes the native list's selection as the program left it (a later notification that leaves it
// unchanged is no click).
void remember_list_selection(ControlKindState& s);
// Shows the state's check mark on a made check box or radio button; a radio button of a
// button group that is checked unchecks the other members (their state becomes 0).
void show_button_state(ObjectEntry& entry);

} // namespace quillet
