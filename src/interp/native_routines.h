// Native routines: procedures of host libraries named by an entry descriptor, loaded at their
// first call and cached in the descriptor itself.
#pragma once

#include "values/arena.h"

namespace quillet {

// Whether descriptors may load host libraries; a host that runs untrusted images (the fuzz
// target) turns it off, and such calls raise 9003 as for a missing library.
struct NativePolicy {
    bool enabled = true;
};
inline NativePolicy native_policy;

// Runs the native procedure described at d (names, or 0xFF and a cached handle) for the frame
// under construction at frame, whose numeric region runs from first to lo and slot region down to
// hi.
void call_native_routine(Addr d, Addr frame, Addr first, Addr lo, Addr hi);

// Unloads every library a program loaded and forgets their procedures (the engine reset: the
// descriptors that cached them went with the arena).
void close_native_libraries();

} // namespace quillet
