#include "values/values_reset.h"

#include "values/arena.h"
#include "values/values_state.h"

namespace quillet {

void reset_values_state() {
    arena_init();
    arena_clear();
    // Every record lived in the arena, so nothing is released: the state is simply forgotten.
    values_state = ValuesState{};
}

} // namespace quillet
