// The input time limit: a one-shot timer of the windowing layer that ends a wait for input. The
// key wait and event bifs of the default window read it; until they exist it is armed and
// disarmed only.
#pragma once

#include <cstdint>

namespace quillet {

struct InputTimeLimit {
    int timer = -1; // the armed timer, -1 for none
};

inline InputTimeLimit input_time_limit;

void reset_input_time_limit();

// Arms a limit of seconds (a new limit replaces an armed one); a negative time raises 8402.
void arm_input_time_limit(int32_t seconds);

// Forgets the limit: an expiry after this has no effect.
void disarm_input_time_limit();

// Whether an armed limit has run out.
bool input_time_limit_expired();

} // namespace quillet
