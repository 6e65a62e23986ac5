// Text edits join the object methods (methods 20..26) and the window code (clicks, updates and
// the events of the layer's text edits); their keys and control hooks come through the controls.
#pragma once

namespace quillet {

void install_text_edits();

} // namespace quillet
