// The mouse as a program reads it: the state the window's events left (0 up, 2 pressed, 4 pressed
// with shift, 3 released, 1 held) is reported once and then moves on, so that a press or a
// release is seen by exactly one read.
#pragma once

#include <cstdint>

namespace quillet {

// The state to report; `state` becomes what the next read reports (2 and 4 become 1, 3 becomes 0).
int32_t take_mouse_state(int32_t& state);

} // namespace quillet
