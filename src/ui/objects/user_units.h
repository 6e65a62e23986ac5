// User units: coordinates in the window's user rectangle, mapped linearly onto its drawing area
// (the left edge to pixel column 0, the right edge to the last column, the top edge to row 0, the
// bottom edge to the last row). Results are held to the 16-bit range of the layer's points.
#pragma once

#include "ui/window_table.h"

namespace quillet {

IntPoint user_to_pixel(const WindowRecord& window, double x, double y);
// Distances in pixels: along x to the right, along y towards the top edge (positive for a
// distance that goes from the bottom edge's value towards the top edge's).
int32_t user_distance_x(const WindowRecord& window, double dx);
int32_t user_distance_y(const WindowRecord& window, double dy);

} // namespace quillet
