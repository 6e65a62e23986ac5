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

// B-code bif 445 for window n after the user resized it, from inside the window's size event:
// the routine runs to its return in a nested run (interp/nested_run.h) with the pump off and n
// current, and the interrupted computation goes on afterwards with the pump, the current window
// and the saved one as they were, whether or not the routine ended with method 99. Nothing runs
// when no program frame is active or the image has no routine for 445.
void run_resize_routine(int n);

} // namespace quillet
