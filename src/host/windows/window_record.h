// The record of one window, shared by the parts of the window system (tree, messages, frames,
// menus, controls and dialogs). Not for callers or backends: they use WindowSystem with window
// handles.
#pragma once

#include "host/raster/surface.h"
#include "host/windows/control.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::host {

struct WindowRecord {
    WindowId id = no_window;
    WindowId parent = no_window;
    WindowId owner = no_window;     // dialogs and popups: the window they belong to
    std::vector<WindowId> children; // z-order, topmost last
    WindowStyle style;
    IntRect rect; // outer, in the parent's client area or on the screen
    std::string title;
    bool visible = true;
    bool enabled = true;
    bool overlay = false; // popups: drawn over everything, clipped to the top-level window
    WindowProc procedure;
    Color background = 0xFFFFFF;
    std::shared_ptr<const Font> font; // its text's (a dialog's controls); none: the interface font
    Surface surface;                  // the client area
    std::optional<IntRect> invalid;
    unsigned invalidations = 0; // counts invalidate calls, to tell a repaint request during paint
    bool drawn = false;         // top-level: its picture must be shown again
    CursorShape cursor_shape = CursorShape::arrow;
    std::unique_ptr<Control> control;
    int control_id = -1;
    std::vector<MenuItem> menu;
    bool has_menu = false;
    int menu_hot = -1; // the menu bar title shown pressed
    ScrollBarState hbar;
    ScrollBarState vbar;
    WindowId saved_focus = no_window;
    bool dialog = false;
    bool modal_running = false;
    bool modal_done = false;
    int modal_result = 0;
    bool destroying = false;

    FrameInsets insets(const Metrics& m) const { return frame_insets(m, style, has_menu); }
    IntSize client_size(const Metrics& m) const {
        FrameInsets f = insets(m);
        int w = static_cast<int>(rect.width()) - f.left - f.right;
        int h = static_cast<int>(rect.height()) - f.top - f.bottom;
        return {w < 0 ? 0 : w, h < 0 ? 0 : h};
    }
};

// The record of a window for the parts of the window system; nullptr for no window.
inline WindowRecord* find_record(const WindowSystem& ws, WindowId id) {
    return ws.record(id);
}

} // namespace quillet::host
