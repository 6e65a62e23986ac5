#include "ui/key_queue.h"

#include "ui/ui_seams.h"

namespace quillet {

void reset_key_queue() {
    key_queue = KeyQueue{};
}

void queue_key(int n, int32_t key, bool txe) {
    if (ui_seams.queue_key)
        ui_seams.queue_key(n, key, txe);
    else
        key_queue.keys.push_back(key);
    ++key_queue.key_count;
}

int take_key(int32_t& key) {
    int result;
    if (ui_seams.take_key) {
        result = ui_seams.take_key(key);
    } else if (key_queue.keys.empty()) {
        result = 1;
    } else {
        key = key_queue.keys.front();
        key_queue.keys.pop_front();
        result = 0;
    }
    if (result == 0) --key_queue.key_count;
    return result;
}

} // namespace quillet
