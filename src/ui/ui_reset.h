// The reset of the ui layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Replaces the layer's state (ui_state.h) with a fresh value: the windows (their native windows
// went with the window system), objects, controls, text edits and menus, colours, keys, the event
// queue, the switch stack, the engine's timers and the SYS_INFO settings; the key-codes hook is
// removed from the windowing layer.
void reset_ui_state();

} // namespace quillet
