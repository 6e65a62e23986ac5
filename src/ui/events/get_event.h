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

enum class GetEventOutcome {
    nothing_stored,   // wait -1 flipped event mode, or event mode is off
    stored,           // the head entry named and taken out, or the empty result
    stored_then_wait, // the empty result: store it, then wait_for_event
};

// Takes the next event as a program sees it. The results are stored before any wait, so that
// B-code that runs during the wait (scroll slices, a quit request) finds them in place.
GetEventOutcome get_event(int32_t wait, EventResult& result);

// Waits up to seconds for an event to arrive in the queue, processing host events; the event is
// handed out by the next GET EVENT.
void wait_for_event(int32_t seconds);

} // namespace quillet
