// The font dialog of the dialog boxes: the layer's font chooser over a family, size and style.
#pragma once

#include "ui/dialogs/dialog_options.h"

#include <string>

namespace quillet {

// Shows the chooser started from the font; true, with the font changed to the choice, when the
// user confirms.
bool run_font_dialog(DialogFont& font);

} // namespace quillet
