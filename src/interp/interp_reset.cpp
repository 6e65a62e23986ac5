#include "interp/interp_reset.h"

#include "interp/decoded_ops.h"
#include "interp/interp_state.h"

namespace quillet {

InterpState interp_state;
constinit InterpSetup interp_setup;

void reset_interp_state() {
    // The native libraries a program loaded are closed as their holder is replaced.
    interp_state = InterpState{};
}

} // namespace quillet
