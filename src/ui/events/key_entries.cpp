// The key wait's side of the queue: keys queued for it and taken out by it (keys_and_mouse.h).
#include "ui/events/event_queue_state.h"
#include "ui/keys_and_mouse.h"

#include <algorithm>

namespace quillet {

void queue_key(int n, const XvtEvent& key, bool txe) {
    XvtEvent event = key;
    event.words[0] = queue_kind::character;
    // queue_event makes TXE KEYPRESS while a text edit is served; a plain key is a KEYPRESS
    // even then.
    TextEditServed served = text_edit_served;
    if (!txe) text_edit_served = {};
    queue_event(n, event);
    text_edit_served = served;
}

int take_key(int32_t& key) {
    auto& entries = event_queue.entries;
    if (entries.empty()) return 1;
    auto it = std::find_if(entries.begin(), entries.end(), [](const QueuedEvent& e) {
        return e.code == static_cast<int32_t>(EventCode::keypress) ||
               e.code == static_cast<int32_t>(EventCode::txe_keypress);
    });
    if (it == entries.end()) return 2;
    key = static_cast<int16_t>(it->host.words[1] & 0xFFFF);
    entries.erase(it);
    --key_queue.key_count;
    return 0;
}

} // namespace quillet
