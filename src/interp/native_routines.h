// Native routines: procedures of host libraries named by an entry descriptor, loaded at their
// first call and cached in the descriptor itself.
#pragma once

#include "interp/interp_state.h"
#include "values/arena.h"

namespace quillet {

// Whether descriptors may load host libraries is native_policy (interp_state.h).

// Runs the native procedure described at d (names, or 0xFF and a cached handle) for the frame
// under construction at frame, whose numeric region runs from first to lo and slot region down to
// hi.
void call_native_routine(Addr d, Addr frame, Addr first, Addr lo, Addr hi);

} // namespace quillet
