// Modal dialog boxes for the program: message boxes with up to four buttons and input fields,
// list-selection boxes, the file dialogs and the font dialog. Each runs over the windowing
// layer's modal dialogs and returns when the dialog is closed.
#pragma once

#include "ui/dialogs/dialog_options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

namespace dialog_kind {
inline constexpr int32_t message = 1;
inline constexpr int32_t open_file = 2;
inline constexpr int32_t save_file = 3;
inline constexpr int32_t list = 4;
inline constexpr int32_t file_with_buttons = 5;
inline constexpr int32_t font = 6;
} // namespace dialog_kind

struct DialogBoxRequest {
    int32_t left = -1, right = -1, bottom = -1, top = -1; // -1: placed automatically
    int32_t kind = dialog_kind::message;
    DialogOptions options;
    std::string title;
    std::vector<std::string> messages, buttons, labels, values;
    int32_t focus_field = 0; // list boxes: the item selected at the start (1-based)
    int32_t default_button = 0;
    int32_t timeout = 0; // seconds, 0 none
};

struct DialogBoxAnswer {
    int32_t result = 0;
    int32_t focus_field = 0;
    std::vector<std::string> values;           // the field values as left in the fields
    std::optional<std::string> appended_value; // list box, single selection: the chosen text
    std::optional<std::vector<int32_t>> counted_selection; // multiple: count, then numbers
    std::optional<std::string> file_names;                 // file dialogs: the chosen name or names
    std::optional<DialogFont> chosen_font;                 // font dialog, when confirmed
};

// Shows the dialog and waits for the answer. Raises -11301 for an unknown kind and -11300 for a
// message box without buttons.
DialogBoxAnswer run_dialog_box(const DialogBoxRequest& request);

} // namespace quillet
