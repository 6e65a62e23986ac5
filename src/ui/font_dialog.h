// The font dialog of the dialog boxes: the layer's font chooser over a family, size and style.
#pragma once

#include "ui/dialog_options.h"

#include <string>

namespace quillet {

// Shows the chooser started from the font; true, with the font changed to the choice, when the
// user confirms.
bool run_font_dialog(DialogFont& font);

// The style bits as words: "italic", "bold", "underline", "strikeout" for the bits set, in that
// order and separated by one blank, or "plain".
std::string font_style_words(uint32_t style);

} // namespace quillet
