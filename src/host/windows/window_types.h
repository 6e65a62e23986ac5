// The vocabulary of the host window system: window handles and styles, messages and their
// codes, keys, cursors, menus and control definitions. Everything here is plain data; the
// behaviour lives in WindowSystem (window_system.h).
#pragma once

#include "host/raster/geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillet {
class Font;
}

namespace quillet::host {

// A window handle: a slot number in the low 16 bits and a generation above it, so a handle of a
// destroyed window never names a later one. 0 is no window.
using WindowId = uint32_t;
inline constexpr WindowId no_window = 0;

// What the frame of a window holds. Top-level windows are positioned on the screen, child
// windows in their parent's client area; both have their frame inside their outer rectangle.
struct WindowStyle {
    bool caption = false;      // title bar with a close box
    bool sizable = false;      // thick, resizable border
    bool thin_border = false;  // one-pixel border
    bool dialog_frame = false; // raised frame of dialogs and message boxes
    bool hscroll = false;      // window scroll bars, outside the client area
    bool vscroll = false;
    bool minimize_box = false;
    bool maximize_box = false;
    bool tab_stop = false; // reached with Tab in dialogs
};

enum class CursorShape : uint8_t { arrow, ibeam, cross, wait };

inline constexpr uint8_t mod_shift = 1;
inline constexpr uint8_t mod_control = 2;
inline constexpr uint8_t mod_alt = 4;

enum class MouseButton : uint8_t { left = 0, right = 1, middle = 2 };

// Keys as the keyboard reports them, before translation into character codes. Letters and
// digits pressed with Control or Alt arrive as Key::character with the (lower-case) character.
enum class Key : uint8_t {
    none,
    character,
    enter,
    escape,
    tab,
    backspace,
    delete_key,
    insert,
    home,
    end,
    page_up,
    page_down,
    left,
    right,
    up,
    down,
    f1,
    f2,
    f3,
    f4,
    f5,
    f6,
    f7,
    f8,
    f9,
    f10,
    f11,
    f12,
    alt, // Alt pressed and released alone: opens the menu bar
};

// Character codes of the special keys, as character messages deliver them.
namespace key_code {
inline constexpr int backspace = 8;
inline constexpr int tab = 9;
inline constexpr int enter = 13;
inline constexpr int escape = 27;
inline constexpr int delete_key = 0x7F;
inline constexpr int up = 0x12D;
inline constexpr int down = 0x12E;
inline constexpr int right = 0x12F;
inline constexpr int left = 0x130;
inline constexpr int page_up = 0x131;
inline constexpr int page_down = 0x132;
inline constexpr int home = 0x133;
inline constexpr int end = 0x134;
inline constexpr int insert = 0x138;
inline constexpr int f2 = 0x14C; // F2..F9 follow on; F11 = 0x155, F12 = 0x156
} // namespace key_code

// The character code a key produces, or -1 when it produces none (F1 and F10 among them).
int key_to_code(Key key, char character, uint8_t modifiers);

// Scroll actions of window bars and scroll-bar controls.
enum class ScrollAction : uint8_t {
    line_up = 1,
    line_down = 2,
    page_up = 3,
    page_down = 4,
    thumb_released = 5,
    thumb_dragged = 6,
};

enum class ScrollBarKind : uint8_t { horizontal, vertical };

// Notifications that controls send their parent (Msg::notify, code = the control's id).
enum class Notify : uint8_t {
    clicked,
    double_clicked,
    focus_gained,
    focus_lost,
    selection_changed,
    text_changed,
    scrolled, // value = ScrollAction, position in Message::position
};

enum class Msg : uint8_t {
    create,
    destroy,
    activate, // value 1 gained, 0 lost (top-level windows)
    size,     // point = (client width, client height)
    paint,    // begin_paint gives the update rectangle
    close,
    query_end_session, // the procedure's non-zero answer allows ending the session
    end_session,
    key_down,  // code = Key, value = the character of Key::character
    character, // code = the character code (see key_code)
    mouse_down,
    mouse_up,
    mouse_move,
    mouse_double_click,
    mouse_wheel, // value = lines, positive away from the user
    vscroll,     // window bars: value = ScrollAction, position
    hscroll,
    command,   // a menu choice: code = the item's tag
    notify,    // code = control id, value = Notify, source = the control; Notify::scrolled:
               // position and point.x = the ScrollAction
    timer,     // code = the timer's id
    help,      // F1
    open_menu, // default handling tracks popup `code` of the menu bar (value 1: from the keyboard)
    set_focus,
    kill_focus,
    capture_lost,
    quit,
    user, // anything a caller posts for itself
};

struct Message {
    WindowId window = no_window;
    Msg kind = Msg::user;
    int32_t code = 0;
    int32_t value = 0;
    int32_t position = 0;
    IntPoint point{};      // mouse messages: client coordinates of the window
    uint8_t modifiers = 0; // mod_shift | mod_control | mod_alt
    MouseButton button = MouseButton::left;
    WindowId source = no_window; // the notifying control
};

// Menu items: a '&' in a title marks the next character as the mnemonic ("&&" is a plain '&').
struct MenuItem {
    int tag = 0;
    std::string title{};
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    std::vector<MenuItem> submenu{}; // a non-empty submenu makes the item a popup
};

enum class ControlKind : uint8_t {
    push_button,
    radio_button,
    check_box,
    group_box,
    static_left,
    static_center,
    static_right,
    edit,
    list_box,
    dropdown_list, // a closed list that drops down
    dropdown_edit, // an edit with a list that drops down
    hscroll_bar,
    vscroll_bar,
};

enum class ListSelection : uint8_t { single, multiple, extended };

// Where a button's text sits: standard is the kind's own place (a push button's text centred, a
// check box's or radio button's on the left after its box); the others place it so.
enum class ButtonAlign : uint8_t { standard, left, center, right };

struct ControlDef {
    ControlKind kind = ControlKind::push_button;
    IntRect rect{}; // outer rectangle in the parent's client coordinates
    std::string text{};
    int id = 0;
    bool default_button = false;
    bool disabled = false;
    bool hidden = false;
    ListSelection selection = ListSelection::single;
    ButtonAlign button_align = ButtonAlign::standard; // push buttons, check boxes, radio buttons
    std::shared_ptr<const Font> font{};               // of its text; none: the interface font
};

// Frame sizes; the windowing layer reports them as the host's metrics.
struct Metrics {
    int caption_height = 20;
    int menu_height = 20;
    int sizable_border = 4;
    int dialog_border = 3;
    int thin_border = 1;
    int scroll_bar = 16; // width of a vertical bar, height of a horizontal one
    int scroll_thumb_min = 8;
    int double_click_ms = 500;
    int double_click_distance = 4;
};

} // namespace quillet::host
