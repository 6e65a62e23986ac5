// The splash picture of a bound application: "QXSPLASH.BMP" in the current directory, shown
// centred on the screen from start-up until it is clicked away or the program dismisses it.
#pragma once

#include "xvt/xvt.h"

#include <cstdint>
#include <vector>

namespace quillet {

// The splash's part of the ui layer's state (ui_state.h).
struct Splash {
    XvtWindow window = no_xvt_window;
    std::vector<uint8_t> picture;
    IntSize size;
};

// Shows the splash when the file can be read as a bitmap; false (and nothing reported) when it
// cannot.
bool show_splash();

// Destroys the splash window when there is one.
void dismiss_splash();

} // namespace quillet
