// What reaches a text edit from the user: keys (trap characters first), clicks that move the
// focus between text edits and windows, and its scrolling; each becomes the events of the
// program's queue.
#pragma once

#include "ui/text_edits/text_edit_state.h"

namespace quillet {

// The scroll callback of the text edit with that object ID: TXE VSCROLL and TXE HSCROLL for
// the parts of the origin that changed, unless the engine itself is scrolling it.
void text_edit_scrolled(int32_t id, const TxScrollNotice& notice);

// Looks the key up among the trap characters and does the slot's action: true when the key is
// kept from the text edit.
bool trap_key(TextEditState& s, int32_t key);

// A key of window n for the active text edit (when it holds the focus and is not inactive):
// TXE KEYPRESS before it for a text edit with key events; the trap characters; the key to the
// text edit, or TXE KEYPRESS for a kept key. True when the text edit took the key.
bool text_edit_key(int n, const XvtEvent& event);

// A mouse button event of window n: clicks move the focus between the window's text edits and
// the window (CONTROL SELECT, CONTROL DESELECTED); a release inside the active text edit that
// wants mouse events is TXE MOUSE. True when a text edit took the event.
bool text_edit_mouse(int n, const XvtEvent& event);

} // namespace quillet
