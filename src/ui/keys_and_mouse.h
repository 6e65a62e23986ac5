// The keyboard and the mouse as a program reads them: the keys waiting for the key wait, the key
// wait and key test of INPUT-style reads, the engine's key-codes hook and the mouse state.
#pragma once

#include "xvt/xvt.h"

#include <cstdint>

namespace quillet {

// The keys waiting for the key wait are the event queue's KEYPRESS and TXE KEYPRESS entries
// (events/key_entries.cpp); the key count counts them.
struct KeyQueue {
    int32_t key_count = 0;
};

extern KeyQueue& key_queue; // part of the ui layer's state (ui_state.h)

// Queues a key of window n as KEYPRESS, or as TXE KEYPRESS of the served text edit (txe), and
// raises the key count. The key code is word 1 of the event, shift and control words 2 and 3.
void queue_key(int n, const XvtEvent& key, bool txe);

// The oldest KEYPRESS or TXE KEYPRESS entry, unlinked, and the key count lowered: 0 with its key
// code, 1 for an empty queue, 2 for a queue with no key entry.
int take_key(int32_t& key);

// Shows the default window, waits until a key is queued and returns the oldest one. The input
// time limit running out first raises 8401; the session ending first ends the program.
int32_t key_wait();

// Whether at least one key is queued.
bool key_test();

// The engine's key hook, installed in the windowing layer while the key-codes switch of SYS_INFO
// is on: a key typed with the control key held then arrives as the key's own code with the
// control flag (Ctrl+M as "M", no longer as 13, the code of Enter), so that a program can tell
// Ctrl+M from Enter, Ctrl+I from Tab, Ctrl+H from Backspace and Ctrl+[ from Escape.
// Installs (true) or removes the hook.
void set_key_codes_hook(bool on);

// The hook's translation of one key: a control character typed with control held becomes the
// character 0x40 above it ("@", "A".."Z", "[", "\", "]", "^", "_"); other keys are left alone.
void translate_key_code(int32_t& key, int32_t& shift, int32_t control);

// The mouse state the window's events left (0 up, 2 pressed, 4 pressed with shift, 3 released,
// 1 held) is reported once and then moves on, so that a press or a release is seen by exactly
// one read: the state to report; `state` becomes what the next read reports (2 and 4 become 1,
// 3 becomes 0).
int32_t take_mouse_state(int32_t& state);

} // namespace quillet
