// Dialogs built from control definitions, and message boxes.
#pragma once

#include "host/windows/window_system.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet::host {

struct DialogDef {
    std::string title;
    IntSize client_size;
    std::vector<ControlDef> controls;
};

// A hidden dialog window centred over owner's top-level window (or the screen), with the
// controls of def; no_window when its size or a control cannot be honoured. The dialog's focus
// order is its tab-stop controls: Tab and Shift+Tab move through them.
WindowId create_dialog(WindowSystem& ws, const DialogDef& def, WindowId owner,
                       WindowProc procedure);
// Shows a modal message box over the active window until its button is pressed; 1 then. A
// message box is untitled unless its caller names it.
int message_box(WindowSystem& ws, MessageBoxKind kind, std::string_view text,
                std::string_view title = {});

} // namespace quillet::host
