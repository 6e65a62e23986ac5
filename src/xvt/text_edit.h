// The state of a text-edit object and the steps its operations share (private to the layer):
// layout, the view and its scrolling, painting and the caret.
#pragma once

#include "xvt/layer_state.h"
#include "xvt/text_edit_model.h"

namespace quillet::xvt_detail {

class TextEditor {
public:
    XvtTextEdit self = no_xvt_window;
    XvtWindow parent = no_xvt_window;
    host::WindowId host = host::no_window;

    TextModel model;
    uint32_t attributes = 0;
    int32_t limit = 0; // characters; 0: none
    int32_t margin = 0;

    std::string family = "helvetica";
    int32_t points = 10;
    uint32_t style = 0;
    std::shared_ptr<const Font> font;
    int32_t line_height = 1; // leading + ascent + descent

    Color text_color = 0x000000;
    Color background = 0xFFFFFF;
    Color third = 0x000000; // the border's colour

    int32_t first_line = 0; // the view origin
    int32_t horizontal = 0; // pixels
    bool active = false;    // holds the keyboard focus
    bool dragging = false;  // the left button went down inside and is still held
    int suspended = 0;
    TxScrollCallback on_scroll;
    long data = 0;

    bool has(uint32_t attribute) const { return (attributes & attribute) != 0; }
};

// Opens the host font of family, points and style at the screen's resolution; nullptr when the
// host has no such font.
std::shared_ptr<const Font> open_text_edit_font(std::string_view family, int32_t points,
                                                uint32_t style);
// Wraps the text again with the object's font, margin and wrap attribute.
void relayout(TextEditor& tx);

// The area lines are drawn in: the client area inside the border.
IntRect text_area(const TextEditor& tx);
int32_t view_lines(const TextEditor& tx);
// Moves the view origin within the text; the scroll callback hears of each part that changed.
void set_origin(TextEditor& tx, int32_t first_line, int32_t horizontal);
// Brings the caret into view.
void scroll_to_caret(TextEditor& tx);

// Draws the whole object unless it is suspended, and puts the caret in place.
void repaint(TextEditor& tx);
void update_caret(TextEditor& tx);

// Carries out a character code by the key table; false when the text and selection stayed.
bool apply_key(TextEditor& tx, int32_t code, bool shift);

// The caret to a point of the object's client area (extend: the selection grows to it).
void click_at(TextEditor& tx, IntPoint point, bool extend);

} // namespace quillet::xvt_detail
