// The ui layer's part of the interpreter's upper-layer hooks.
#pragma once

namespace quillet {

// Registers with the interpreter what it calls up into the ui layer for (start-up calls it once).
void install_ui_hooks();

} // namespace quillet
