// PAUSE: a wait of so many milliseconds on a window timer of the layer, with windows kept alive.
#pragma once

#include <cstdint>

namespace quillet {

// Waits ms milliseconds (none when ms <= 0) with the busy mark set, dispatching host events.
void timed_wait(int64_t ms);

} // namespace quillet
