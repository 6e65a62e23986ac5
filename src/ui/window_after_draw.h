// The repaint path of a window: after every drawing, and on an update event of a window with a
// backing pixmap.
#pragma once

#include "xvt/xvt.h"

namespace quillet {

// Replays the display list of window n: graphic objects drawn again, controls with relative edges
// laid out again.
void window_after_draw(int n);
// The repaint of an update event: copies only the part of the backing pixmap under `update` onto
// window n (everything else on the window already shows the pixmap, as every drawing goes to
// both), then replays the display list.
void window_after_update(int n, const IntRect& update);

} // namespace quillet
