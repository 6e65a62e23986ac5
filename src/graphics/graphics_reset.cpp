#include "graphics/graphics_reset.h"

#include "graphics/graphics_state.h"

namespace quillet {

void reset_graphics_state() {
    graphics_state = GraphicsState{};
}

} // namespace quillet
