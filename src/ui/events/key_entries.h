// The key wait's side of the queue (the key seams of ui_seams.h).
#pragma once

#include "xvt/xvt.h"

#include <cstdint>

namespace quillet {

// Queues a key of window n as KEYPRESS, or as TXE KEYPRESS of the served text edit (txe).
void queue_key_entry(int n, const XvtEvent& key, bool txe);
// The oldest KEYPRESS or TXE KEYPRESS entry, unlinked, with the key count lowered: 0 with its
// key code, 1 for an empty queue, 2 for a queue without a key entry.
int take_key_entry(int32_t& key);

} // namespace quillet
