#include "ui/mouse.h"

namespace quillet {

int32_t take_mouse_state(int32_t& state) {
    const int32_t reported = state;
    if (state == 2 || state == 4)
        state = 1;
    else if (state == 3)
        state = 0;
    return reported;
}

} // namespace quillet
