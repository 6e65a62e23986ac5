#include "graphics/graphics_reset.h"

#include "graphics/postscript_journal.h"

namespace quillet {

void reset_graphics_state() {
    reset_postscript_journal();
}

} // namespace quillet
