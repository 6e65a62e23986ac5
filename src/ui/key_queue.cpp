#include "ui/key_queue.h"

#include "ui/ui_seams.h"

namespace quillet {

void reset_key_queue() {
    key_queue = KeyQueue{};
}

void queue_key(int n, const XvtEvent& key, bool txe) {
    if (ui_seams.queue_key) {
        ui_seams.queue_key(n, key, txe);
        return;
    }
    key_queue.keys.push_back(static_cast<int16_t>(key.words[1] & 0xFFFF));
    ++key_queue.key_count;
}

int take_key(int32_t& key) {
    if (ui_seams.take_key) return ui_seams.take_key(key);
    if (key_queue.keys.empty()) return 1;
    key = key_queue.keys.front();
    key_queue.keys.pop_front();
    --key_queue.key_count;
    return 0;
}

} // namespace quillet
