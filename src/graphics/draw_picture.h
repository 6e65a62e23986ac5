// Drawing a picture string on a window of the windowing layer (image objects, the splash
// screen).
#pragma once

#include "host/raster/geometry.h"
#include "xvt/xvt.h"

#include <cstdint>
#include <span>

namespace quillet {

// Draws the picture stretched into the inclusive pixel rectangle (left, top, right, bottom; a
// rectangle given right-to-left or bottom-to-top is normalized) of the window with a source copy.
// A picture of width 0 and height 0, or the empty string, draws nothing. A malformed picture
// draws nothing either and writes the reason to the debug log. False when nothing was drawn.
// (It selects no palette: image objects select the palette their ImagePicture owns.)
bool draw_picture(XvtWindow window, std::span<const uint8_t> picture, const IntRect& inclusive);

} // namespace quillet
