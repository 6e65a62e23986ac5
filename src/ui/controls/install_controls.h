// Plugs controls and menus into the object methods and the window event handler.
#pragma once

namespace quillet {

// Fills the control and menu entries of object_hooks and the control entries of ui_seams.
void install_controls();

} // namespace quillet
