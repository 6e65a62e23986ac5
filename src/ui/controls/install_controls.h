// Plugs controls and menus into the object methods and the window event handler.
#pragma once

namespace quillet {

// Fills the control entries of object_hooks.
void install_controls();

} // namespace quillet
