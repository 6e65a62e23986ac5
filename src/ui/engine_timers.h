// The engine's own window timers: each one-shot, killed by the window's timer event, which clears
// its slot (0: none armed). The waits read the slots and the input limit's expiry flag.
#pragma once

#include "xvt/xvt.h"

#include <cstdint>

namespace quillet {

struct EngineTimers {
    XvtTimer input_limit = 0;
    bool input_limit_expired = false;
    XvtTimer pause = 0;     // timed_wait
    XvtTimer get_event = 0; // the GET EVENT wait
    XvtTimer fourth = 0;
};

extern EngineTimers& engine_timers; // part of the ui layer's state (ui_state.h)

// The native window the engine's timers run on: the current window's, else the default
// window's; no_xvt_window when neither is there.
XvtWindow timer_window();

// Arms the input time limit of seconds on the timer window (a new limit replaces an armed one);
// a negative time raises 8402. Without a window the limit is recorded as not armed.
void arm_input_time_limit(int32_t seconds);
// Forgets the limit: an expiry after this has no effect.
void disarm_input_time_limit();

// The timer event of a window: when the timer is one of the engine's, it is killed and its slot
// cleared (for the input limit the expiry flag is set); true then.
bool engine_timer_expired(XvtTimer timer);

} // namespace quillet
