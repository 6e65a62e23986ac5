// The layout of the engine's message and list dialog boxes: where the message lines, buttons,
// field labels, input fields and the list go, computed from the system measures and the screen.
// Pure arithmetic over plain values, so that every rule can be checked without a window system.
#pragma once

#include "xvt/xvt.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

// Control IDs inside a dialog box: buttons 1..4, input field k is k + 4, the list box 99.
inline constexpr int16_t dialog_first_field_id = 5;
inline constexpr int16_t dialog_list_id = 99;
inline constexpr int16_t dialog_static_id = -1; // texts are never looked up
inline constexpr int dialog_max_buttons = 4;

struct DialogMeasures {
    int32_t unit = 0;            // u: the system character unit
    int32_t static_height = 0;   // sh
    int32_t button_height = 0;   // bh
    int32_t edit_height = 0;     // eh
    int32_t half_difference = 0; // Ht: half of eh - sh
    IntSize screen;
    IntRect current_window; // the current window's rectangle on the screen
};

enum class DialogShape { message, list };

// What the layout needs of a dialog-box request.
struct DialogLayoutRequest {
    DialogShape shape = DialogShape::message;
    int32_t left = -1, right = -1, bottom = -1, top = -1; // -1: placed automatically
    bool wrap = false;                                    // "MAXLENGTH" 0
    int32_t message_justify = 0;                          // 0 left, 1 centred, 2 right
    int32_t button_justify = 1;
    std::string title;
    std::vector<std::string> messages, buttons, labels, values;
    int32_t default_button = 0;
    bool multiple = false; // list box
};

// One item of a laid-out dialog (the dialog itself first), owning its text.
struct DialogControl {
    int32_t type = 0; // window type 10 for the dialog, else a control type
    IntRect rect;     // the dialog: its client area on the screen; controls: in that area
    std::string text;
    int16_t id = 0;
    uint32_t flags = 0;
};

struct DialogLayout {
    std::vector<DialogControl> controls; // the dialog first
    int32_t line_count = 0;              // message lines after wrapping
    int32_t field_count = 0;             // input fields laid out

    const IntRect& client() const { return controls.front().rect; }
    // The definition for xp_dlg_create_def, ended by an item of type 0; it points into this
    // layout, which must outlive it.
    std::vector<XvtDialogItem> items() const;
};

// Splits a message into lines of at most max_chars characters: a line breaks after its last
// blank, else after its last punctuation character, else at the limit; blanks at the start of
// the following line are skipped.
std::vector<std::string> wrap_message(std::string_view text, int32_t max_chars);

// Lays out the dialog. The width and height come from the edges given or from the contents; an
// automatic edge centres the dialog on the current window. An automatic height is kept within
// the screen; message lines that would leave no room for the list or the fields, and fields that
// would run into the button row, are left out.
DialogLayout lay_out_dialog(const DialogLayoutRequest& request, const DialogMeasures& m);

} // namespace quillet
