// The text cursor of a window: the host's caret in its native window, one line high, placed at
// the top left of its text cell (column and row counted from 1).
#pragma once

#include "ui/window_table.h"

namespace quillet {

// Stores the position; a cursor that is on moves at once.
void set_text_cursor_position(XvtWindow window, TextCursor& cursor, int32_t row, int32_t column,
                              int char_width, int line_height);
// On (shown at its position) or off (the caret destroyed).
void set_text_cursor_on(XvtWindow window, TextCursor& cursor, bool on, int char_width,
                        int line_height);

} // namespace quillet
