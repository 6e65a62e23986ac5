// The library routines that the engine enters on behalf of a window: B-code bif 445 after the
// window's colours or font changed, and 499 after the window was freed. The pump is switched off
// and the window made current before the routine runs; the routine ends with window method 99,
// which restores the current window and the pump.
#pragma once

#include "ui/objects/object_request.h"

#include <cstdint>

namespace quillet {

namespace window_routine {
inline constexpr uint32_t window_changed = 445;
inline constexpr uint32_t window_freed = 499;
} // namespace window_routine

// Enters the routine that the request asked for (ObjectRequest::enter_after), if any. Called by
// the object bifs once the call's results are stored, so that the routine runs when the bif
// returns and reads what the call left. Nothing happens when no program frame is active or the
// image has no routine for that bif number (a program without the library).
void enter_requested_routine(const ObjectRequest& request);

// Window method 99: the end of such a routine.
void finish_window_routine();

} // namespace quillet
