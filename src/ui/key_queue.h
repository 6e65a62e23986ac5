// The keys waiting for the key wait, until the event queue keeps them: KEYPRESS and TXE KEYPRESS
// entries in arrival order, and the key count. With the event queue's seams filled the keys go
// there instead (ui_seams.h).
#pragma once

#include "xvt/xvt.h"

#include <cstdint>
#include <deque>

namespace quillet {

struct KeyQueue {
    std::deque<int32_t> keys;
    int32_t key_count = 0;
};

inline KeyQueue key_queue;

void reset_key_queue();

// Queues a key of window n (txe: for a text edit) through the event queue's seam, else here;
// the key count grows either way. The key code is word 1 of the event, shift and control words 2
// and 3.
void queue_key(int n, const XvtEvent& key, bool txe);

// The oldest key, unlinked, and the key count lowered: 0 with the key, 1 for an empty queue,
// 2 for a queue with no key entry.
int take_key(int32_t& key);

} // namespace quillet
