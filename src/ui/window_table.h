// The window table: the 100 window records a program's windows live in (0 the default window,
// 1..99 the user windows), the current window and the lookups by number and by native window.
#pragma once

#include "values/arena.h"
#include "xvt/xvt.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillet {

inline constexpr int window_count = 100;
inline constexpr int default_window = 0;

// native_window of a free slot; 0 (no_xvt_window) is a defined window not yet shown.
inline constexpr XvtWindow free_window_slot = 0xFFFFFFFF;

// Window flags of a record (attribute "flags").
namespace window_flag {
inline constexpr uint32_t resize_box = 0x1;
inline constexpr uint32_t close_box = 0x2;
inline constexpr uint32_t visible_at_show = 0x4;
inline constexpr uint32_t vertical_scroll_bar = 0x8;
inline constexpr uint32_t horizontal_scroll_bar = 0x10;
inline constexpr uint32_t iconizable = 0x20;
inline constexpr uint32_t solid_mix = 0x40;
inline constexpr uint32_t no_hide = 0x80;
inline constexpr uint32_t mouse_move_events = 0x100;
inline constexpr uint32_t plot_text_opaque = 0x200;
} // namespace window_flag

// Window types of a record, by their names in programs: the layer's window types.
namespace window_type {
inline constexpr int32_t document = static_cast<int32_t>(WindowType::document);
inline constexpr int32_t plain = static_cast<int32_t>(WindowType::bordered);
inline constexpr int32_t double_bordered = static_cast<int32_t>(WindowType::dialog);
inline constexpr int32_t printing = static_cast<int32_t>(WindowType::print);
inline constexpr int32_t child = static_cast<int32_t>(WindowType::drawing);
} // namespace window_type

enum class WindowState : int32_t { defined = 0, shown = 1, hidden = 2 };

// The window's font and its measures in pixels.
struct TextMetrics {
    XvtFont font = 0;
    int32_t char_width = 0;  // width of "W"
    int32_t line_height = 0; // ascent + descent + leading
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t leading = 0;
    int32_t font_size = 0;
    uint32_t font_style = 0;
    std::string family; // at most 128 bytes
};

struct PenRecord {
    int16_t width = 1;
    int32_t colour = -1; // colour number
    int32_t pattern = 2;
    int32_t style = 0;
};

struct BrushRecord {
    int32_t colour = -1; // colour number
    int32_t pattern = 1;
};

struct TextCursor {
    bool on = false;
    int32_t column = 1;
    int32_t row = 1;
};

// User coordinates of the window's edges (attribute "user rectangle"): x from 0 at the left to 1
// at the right, y from 0 at the bottom to 1 at the top.
struct UserRect {
    double left = 0, top = 1, right = 1, bottom = 0;
};

struct ScrollBarSettings {
    int32_t single_increment = 1;
    int32_t page_increment = 10;
    int32_t position = 0;
    int32_t range_start = 0;
    int32_t range_end = 100;
    int32_t proportion = 1;
    int32_t attached_text_edit = -1;
    int32_t bar_id = 0; // 16 vertical, 15 horizontal
};

struct WindowMenus {
    int32_t root_menu_id = 0;
    uint32_t tree = 0;
    bool has_menus = false;
};

// A BASIC channel opened on the window and the frame that owns it.
struct WindowChannel {
    int32_t channel = 0;
    int32_t owner_frame = 0;
};

// Display list record kinds that window_after_draw replays.
inline constexpr int32_t display_graphic_object = 10;
inline constexpr int32_t display_control = 15;

struct WindowRecord {
    XvtWindow native_window = free_window_slot;
    std::string name;
    int32_t pixel_width = 0; // of the drawing (client) area
    int32_t pixel_height = 0;
    std::array<int32_t, 2> create_words{};
    std::array<std::array<int32_t, 4>, 3> blocks{};
    int16_t mouse_y = 0; // of the last mouse event in the window
    int16_t mouse_x = 0;
    int32_t mouse_state = 0; // 0 up, 1 held, 2 pressed, 3 released, 4 pressed with shift
    TextCursor text_cursor;
    std::vector<Addr> retained_strings; // each holds one reference while the window lives
    // Records of a 32-bit length in bytes, a 32-bit kind and the body, replayed on repaint.
    std::vector<uint8_t> display_list;
    bool replaying = false;
    size_t replay_cursor = 0;
    bool repaint_fully = false;
    bool resized = false;
    int32_t updates_to_ignore = 0;
    bool no_scroll = false; // also suppresses the control records of the display list
    std::shared_ptr<XvtPrintSetup> print_record; // made when first needed
    IntRect rect;                                // screen pixels, right and bottom exclusive
    UserRect user_rect;                          // attribute "user rectangle"
    IntRect screen_rect;                         // attribute "screen"
    uint32_t flags = 0;                          // window_flag
    int32_t type = window_type::document;
    PenRecord pen;
    BrushRecord brush;
    int32_t foreground_colour = -1; // colour numbers
    int32_t background_colour = -2;
    Color background_value = 0xFFFFFF;
    int32_t cleared_word = 0;
    int32_t draw_mode = 0;
    // The text font and its measures; read them through text_metrics(), which opens the default
    // window's fonts at their first use.
    TextMetrics text_font;
    std::string title;
    bool immune = false; // keeps a backing pixmap
    ScrollBarSettings vertical_scroll{.bar_id = 16};
    ScrollBarSettings horizontal_scroll{.bar_id = 15};
    WindowMenus menus;
    WindowState state = WindowState::defined;
    uint16_t cursor_code = xvt_cursor::arrow;
    std::vector<int32_t> objects; // object IDs, in focus order
    std::vector<WindowChannel> channels;
    int32_t parent = -1; // window number, -1 for none
    XvtWindow backing_pixmap = no_xvt_window;

    bool in_use() const { return native_window != free_window_slot; }
};

struct WindowTable {
    std::array<WindowRecord, window_count> records;
    int current = default_window;       // drawing, text and waits act on it
    int saved_current = default_window; // while a bif runs on behalf of another window
    int routine_depth = 0;              // B-code bifs running on behalf of a window
    int highest = 0;                    // highest window number handed out
    bool default_not_yet_shown = false;
    bool default_fonts_pending = false; // window 0's fonts are opened at their first use
    // The default window's destroy ends the program while event mode is off; closing all
    // windows at the end turns it off.
    bool exit_on_default_destroy = true;
    bool exit_requested = false; // acted on after the event, outside the window system
};

extern WindowTable& window_table; // part of the ui layer's state (ui_state.h)

// Frees every record and forgets the numbers handed out (native windows are not touched): this
// part alone, as reset_ui_state does with the whole state.
void reset_window_table();

inline WindowRecord& window_record(int n) {
    return window_table.records[static_cast<size_t>(n)];
}
inline WindowRecord& current_window() {
    return window_record(window_table.current);
}

// Gives the default window its fonts and the system measures that depend on them, if they are
// still pending; the default window's start-up leaves them to their first use.
void open_default_window_fonts();

// The record's text font and measures, opened first for the default window.
inline TextMetrics& text_metrics(WindowRecord& record) {
    if (window_table.default_fonts_pending && &record == &window_record(default_window))
        open_default_window_fonts();
    return record.text_font;
}
inline const TextMetrics& text_metrics(const WindowRecord& record) {
    return text_metrics(const_cast<WindowRecord&>(record));
}

// A number in 0..highest whose record is in use.
bool is_valid_window(int n);
// The record of a valid window number; nullptr otherwise.
WindowRecord* find_window(int n);

// The lowest free number from 1 up to highest, else highest + 1 (which becomes the highest);
// -1 when all 99 user windows are in use.
int allocate_window_number();

// The window number kept as the native window's application data; -1 for no window.
int window_number_of(XvtWindow native);
// True when the native window is one of the user windows 1..99.
bool is_user_window(XvtWindow native);

// Every native drawing target of the record: the window (when shown) and its backing pixmap.
template <class Draw>
void for_each_drawable(const WindowRecord& record, Draw&& draw) {
    if (record.in_use() && record.native_window != no_xvt_window) draw(record.native_window);
    if (record.backing_pixmap != no_xvt_window) draw(record.backing_pixmap);
}

} // namespace quillet
