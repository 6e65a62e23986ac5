// The reset of the ui layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Forgets the windows (their native windows went with the window system), colours, keys, the
// switch stack and the engine's timers.
void reset_ui_state();

} // namespace quillet
