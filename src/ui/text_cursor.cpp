#include "ui/text_cursor.h"

#include "ui/drawing.h"

namespace quillet {
namespace {

// Shows the caret at the cursor's cell: made anew when the cursor was off, hidden while it moves
// when it was on.
void show_at_cell(XvtWindow window, const TextCursor& cursor, int char_width, int line_height) {
    if (!cursor.on)
        xvt_win_create_caret(window, {0, line_height});
    else
        xvt_win_show_caret(false);
    xvt_win_set_caret_pos(narrow_point(int64_t{char_width} * (int64_t{cursor.column} - 1),
                                       int64_t{line_height} * (int64_t{cursor.row} - 1)));
    xvt_win_show_caret(true);
}

} // namespace

void set_text_cursor_position(XvtWindow window, TextCursor& cursor, int32_t row, int32_t column,
                              int char_width, int line_height) {
    cursor.row = row;
    cursor.column = column;
    if (cursor.on) show_at_cell(window, cursor, char_width, line_height);
}

void set_text_cursor_on(XvtWindow window, TextCursor& cursor, bool on, int char_width,
                        int line_height) {
    if (on)
        show_at_cell(window, cursor, char_width, line_height);
    else
        xvt_win_destroy_caret();
    cursor.on = on;
}

} // namespace quillet
