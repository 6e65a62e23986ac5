// GET EVENT (bif 442): the next event of the queue as a name, a window number and two numbers.
#pragma once

#include <cstdint>
#include <string>

namespace quillet {

struct EventResult {
    std::string name;
    int32_t window = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// wait -1 flips event mode and stores nothing (false). With event mode off nothing is stored
// (false). Otherwise true with the head entry taken out and named, or with the empty result when
// there is none: wait > 0 first waits up to that many seconds for an event to arrive (the event
// is then handed out by the next call).
bool get_event(int32_t wait, EventResult& result);

} // namespace quillet
