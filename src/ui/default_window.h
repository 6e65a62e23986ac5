// The default window: the window a program draws in when it opened none of its own. So far its
// part at the end of a program.
#pragma once

namespace quillet {

// At a program end that asks for it: shows the default window with "Press any key." at its
// bottom left and waits until a key reaches it, the window is closed or the session ends (at
// once on the headless backend when no scripted key is left). Without a window system it does
// nothing.
void end_of_program_wait();

} // namespace quillet
