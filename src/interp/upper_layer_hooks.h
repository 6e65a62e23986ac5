// What the layers above the interpreter register with it: upper_layer_hooks, part of the
// interpreter's setup (interp_state.h), which an engine reset keeps.
#pragma once

#include "interp/interp_state.h"
