// The interface by which the window system reaches a control: its events, its painting and the
// questions dialogs ask of it. The controls themselves are in controls/.
#pragma once

#include "host/raster/device_context.h"
#include "host/windows/window_types.h"

namespace quillet::host {

class WindowSystem;
struct WindowRecord;

// The state of a scroll bar: a window's own bars and scroll-bar controls.
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
    // The window the control is, bound when the window system makes it. The control's own API
    // for callers (its check mark, items, selection) acts on the window through it.
    void attach(WindowSystem& ws, WindowId window) {
        m_ws = &ws;
        m_window = window;
    }
    WindowId window() const { return m_window; }
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

    WindowSystem& window_system() const { return *m_ws; }

private:
    ControlKind m_kind;
    WindowSystem* m_ws = nullptr;
    WindowId m_window = no_window;
};

} // namespace quillet::host
