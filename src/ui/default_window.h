// The default window: window 0, created hidden at start-up and shown when a program first draws,
// waits for a key or ends with "Press any key.".
#pragma once

namespace quillet {

// Makes the default window visible the first time it is needed while it is the current window.
void show_default_window();

// At a program end that asks for it: shows the default window with "Press any key." at its
// bottom left and waits until a key reaches it, the window is closed or the session ends (at
// once on the headless backend when no scripted key is left). Without a window system it does
// nothing.
void end_of_program_wait();

} // namespace quillet
