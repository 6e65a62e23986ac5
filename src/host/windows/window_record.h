// The record of one window, shared by the parts of the window system (tree, messages, frames,
// menus, controls and dialogs). Not for callers or backends: they use WindowSystem with window
// handles.
#pragma once

#include "host/raster/surface.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::host {

struct ScrollBarState {
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    int proportion = 0; // thumb size in range units; 0 draws a square thumb
    bool dragging = false;
    int drag_offset = 0; // pointer to thumb start while dragging
    int drag_position = 0;
};

// A control's behaviour and look; its record holds the window side (text, geometry, state).
class Control {
public:
    explicit Control(ControlKind kind) : m_kind(kind) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return m_kind; }
    // Draws the whole control into its client surface.
    virtual void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) = 0;
    // Hands a message to the method for its kind. True when the control handled it and the
    // window's procedure (or the default handling) need not see it.
    bool dispatch(WindowSystem& ws, WindowRecord& w, const Message& m);
    // Group boxes and static text react to nothing: every message goes on to their window.
    virtual bool takes_input() const { return true; }
    // Reached by Tab in dialogs and given the focus by clicks.
    virtual bool takes_focus() const { return true; }
    // Keys a dialog must leave to the control (Enter in a list, arrows in an edit...).
    virtual bool wants_key(Key) const { return false; }
    virtual bool has_popup_open() const { return false; }
    virtual void title_changed(WindowSystem&, WindowRecord&) {}
    // Keyboard actions of dialogs: Enter presses the default button, arrow keys click radio
    // buttons, and a control reached by Tab may prepare itself (an edit selects its text).
    virtual bool is_default() const { return false; }
    virtual void click(WindowSystem&, WindowRecord&) {}
    virtual void tabbed_into(WindowSystem&, WindowRecord&) {}

protected:
    // One method per message a control can react to, each true when it handled the message.
    // The message is passed whole: its point, code, value, modifiers and button as it came.
    virtual bool mouse_down(WindowSystem&, WindowRecord&, const Message&) { return false; }
    // The second press of a double click; a control that does not tell it apart gets a press.
    virtual bool mouse_double_click(WindowSystem& ws, WindowRecord& w, const Message& m) {
        return mouse_down(ws, w, m);
    }
    virtual bool mouse_up(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool mouse_move(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool mouse_wheel(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool key_down(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool character(WindowSystem&, WindowRecord&, const Message&) { return false; }
    // Msg::set_focus and Msg::kill_focus; code holds the window the focus came from or goes to.
    virtual bool focus_in(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool focus_out(WindowSystem&, WindowRecord&, const Message&) { return false; }
    virtual bool capture_lost(WindowSystem&, WindowRecord&, const Message&) { return false; }
    // Msg::notify from a window that is part of the control (a drop-down's list or edit).
    virtual bool part_notified(WindowSystem&, WindowRecord&, const Message&) { return false; }

private:
    ControlKind m_kind;
};

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
