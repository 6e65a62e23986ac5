// The repaint path of a window: after every drawing, and on an update event of a window with a
// backing pixmap.
#pragma once

namespace quillet {

// Copies the backing pixmap onto window n (from_pixmap only), then replays its display list:
// graphic objects drawn again, controls with relative edges laid out again.
void window_after_draw(int n, bool from_pixmap);

} // namespace quillet
