// The open and save file dialogs, our own: a directory list, a file list filtered by the chosen
// pattern, a field for typed names and the dialog's buttons, built from the windowing layer's
// dialog definitions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

struct FileDialogRequest {
    bool save = false;       // else the open dialog
    bool multiple = false;   // several files may be chosen (never with the template)
    bool names_only = false; // a confirmed choice gives names without their directory
    std::string title;       // empty: "Open" or "Save As"
    std::string extension;   // of the first filter; empty: all files
    std::string name;        // the initial file name
    bool use_template = false;
    std::vector<std::string> labels; // up to four buttons (with the template)
    std::vector<bool> cancel_marks;  // parallel: the button cancels
};

struct FileDialogAnswer {
    // Without labels: 1 confirmed, 0 cancelled. With labels: the button (1..4) that ended the
    // dialog, -1 when none did (a double-clicked file); the close box and Escape are button 2.
    int32_t result = 0;
    // Confirmed: the full path, or several joined by '|' (names alone with names_only, which
    // also makes their directory current). Cancelled: the initial name.
    std::string names;
};

FileDialogAnswer run_file_dialog(const FileDialogRequest& request);

} // namespace quillet
