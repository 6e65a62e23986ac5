// Where the window code hands over to the parts of the ui layer that come later: the event
// queue, graphic objects, controls and text edits. Each entry is filled by the part that owns
// it; an empty entry means that part is not there yet, and the window code does what a program
// without it would see (documented at each entry).
#pragma once

#include "xvt/xvt.h"

#include <cstdint>

namespace quillet {

struct UiSeams {
    // ---- Event queue ----
    // Queues a host event of window n for the program's event loop (GET EVENT). Empty: events
    // other than keys are not kept.
    void (*queue_event)(int n, const XvtEvent& event) = nullptr;
    // Queues a key for the key wait as KEYPRESS (txe: as TXE KEYPRESS for a text edit): the key
    // code in word 1, shift and control in words 2 and 3, and raises the key count. Empty: the
    // key queue of keys_and_mouse.h keeps it.
    void (*queue_key)(int n, const XvtEvent& key, bool txe) = nullptr;
    // The key wait's take: the oldest KEYPRESS or TXE KEYPRESS entry, unlinked, and the key count
    // lowered. Returns 0 and sets key, 1 for an empty queue, 2 for a queue without a key entry.
    int (*take_key)(int32_t& key) = nullptr;
    // Event mode: on when the program reads events itself. Empty: off.
    bool (*event_mode)() = nullptr;
    // A vertical (vertical true) or horizontal scroll event of window n: the scroll slice.
    // Empty: ignored.
    void (*scroll)(int n, const XvtEvent& event, bool vertical) = nullptr;

    // ---- Graphic objects and controls ----
    // Display list kind 10: draws the object again when its ID is in use and it is shown.
    void (*redraw_object)(int32_t object_id) = nullptr;
    // A box fill covered the whole of window n: its graphic objects count as no longer shown
    // (their shown bit is cleared). Empty: there are no graphic objects.
    void (*window_covered)(int n) = nullptr;
    // Display list kind 15: lays out a control with relative edges again for window n.
    void (*relayout_control)(int n, int32_t control_id) = nullptr;
    // A control notification of window n (after the text-edit ID mapping). Empty: ignored.
    void (*control_event)(int n, const XvtEvent& event) = nullptr;

    // ---- Text edits ----
    // Offers a mouse down, double click or up of window n to the active text edit: true when the
    // text edit took it (focus moves and their control events included). Empty: never.
    bool (*text_edit_mouse)(int n, const XvtEvent& event) = nullptr;
    // Offers a key of window n to a pending edit field or the active text edit: true when taken.
    // Empty: never.
    bool (*text_edit_key)(int n, const XvtEvent& event) = nullptr;
    // True while an update must be left alone (the text-edit engine or this layer is changing a
    // text edit). Empty: never.
    bool (*text_edit_updating)() = nullptr;
    // Every event not consumed by the window's handler. Empty: nothing.
    void (*text_edit_process)(XvtWindow native, const XvtEvent& event) = nullptr;
};

// The wiring of the layer, not program state: an engine reset keeps it.
inline UiSeams ui_seams;

} // namespace quillet
