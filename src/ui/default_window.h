// The default window: window 0, created hidden at start-up and shown when a program first draws,
// waits for a key or ends with "Press any key.".
#pragma once

#include <array>
#include <cstdint>

namespace quillet {

// Measures taken when the default window is made, for dialog layout.
struct SystemMeasures {
    int32_t char_unit = 0; // width of "o" in the system font
    int32_t char_unit_2 = 0;
    int32_t char_unit_9 = 0;
    // Static text, button and edit heights, and half the difference of edit and static text.
    std::array<int32_t, 4> heights{};
};

extern SystemMeasures& system_measures; // part of the ui layer's state (ui_state.h)

// Makes window 0 with every start-up step: its record, its hidden native window, the colour
// table from the display kind, its palette, the system measures, its fonts and drawing tools.
// Start-up calls it once, with 0, before the program runs and only when there is a window
// system. Any other number, or a window the layer refuses, is a fatal stop.
void create_default_window(int n = 0);

// Makes the default window visible the first time it is needed while it is the current window.
void show_default_window();

// At a program end that asks for it: shows the default window with "Press any key." at its
// bottom left and waits until a key is queued, the window is closed or the session ends (at
// once on the headless backend when no scripted key is left).
void end_of_program_wait();

// At every program end: frees the windows from the highest number down to 1, then destroys the
// default window, without the default window's destroy ending the program.
void close_all_windows();

// After a pump: ends the program when the default window's close box asked for it.
void act_on_exit_request();

} // namespace quillet
