// The graphics layer's state: everything a program can leave in the layer, in one struct that
// reset_graphics_state (graphics_reset.h) replaces with a fresh value. postscript_journal is a
// reference into it, bound at compile time.
#pragma once

#include "graphics/postscript_journal.h"

namespace quillet {

struct GraphicsState {
    PostScriptJournal postscript; // closed without its trailer when the state is replaced
};

inline GraphicsState graphics_state;

inline constexpr PostScriptJournal& postscript_journal = graphics_state.postscript;

} // namespace quillet
