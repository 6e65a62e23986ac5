// The reset of the graphics layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Replaces the layer's state (graphics_state.h) with a fresh value: an open PostScript journal is
// closed without its trailer.
void reset_graphics_state();

} // namespace quillet
