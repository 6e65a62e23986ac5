// BOX KEEP and BOX SHOW on program windows: a rectangle of a window copied into a picture string,
// and a picture string drawn onto a window and its backing pixmap with one of the sixteen raster
// modes (a Boolean function of source and destination numbered by its truth table).
#pragma once

#include "graphics/picture_string.h"
#include "host/raster/raster_ops.h"
#include "ui/drawing.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

// The host raster operation of a BOX SHOW mode; modes outside 0..15 copy the source.
Rop3 picture_raster_op(int32_t mode);

// The picture format BOX KEEP uses on this screen: its colour class and depth, and for the
// palette classes the first max_colour + 1 entries of the system palette.
PictureFormat screen_picture_format(int color_class, int32_t max_colour);

// The pixels of `area` (right and bottom excluded) of the pixmap when there is one, else of the
// window. Empty or reversed areas give the empty string; too large ones throw PictureError.
std::vector<uint8_t> keep_window_picture(const DrawingTarget& target, const IntRect& area,
                                         const PictureFormat& format);

// Draws the picture with its bottom-left pixel at bottom_left, clipped to `clip`, with the mode's
// raster operation, on the window and the pixmap; each clip box is put back afterwards. The
// empty string draws nothing; a malformed one throws PictureError before anything is drawn.
void show_picture(const DrawingTarget& target, IntPoint bottom_left, const IntRect& clip,
                  std::span<const uint8_t> picture, int32_t mode);

} // namespace quillet
