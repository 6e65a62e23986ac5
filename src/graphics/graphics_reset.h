// The reset of the graphics layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Closes an open PostScript journal (without its trailer).
void reset_graphics_state();

} // namespace quillet
