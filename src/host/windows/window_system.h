// The host window system: a tree of windows with frames drawn by us, a message queue with
// posted and sent messages, timers, focus, capture, a caret, controls, menus, dialogs and a
// clipboard, all over a backend that shows the windows (SDL) or runs without a display (headless).
//
// Every window has its own client surface; a top-level window's picture is composed from its
// frame, its surface and its children's surfaces, so drawing in a window never damages another.
// Calls with a handle that names no window, or with a definition that cannot be honoured, return
// false or no_window and change nothing.
#pragma once

#include "host/raster/device_context.h"
#include "host/raster/surface.h"
#include "host/text/fonts.h"
#include "host/windows/clipboard.h"
#include "host/windows/window_types.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::host {

class Backend;
class WindowSystem;
struct WindowRecord;
struct ScrollBarState;

// A window procedure: the answer of sent messages (query_end_session: non-zero allows ending).
using WindowProc = std::function<intptr_t(WindowSystem&, const Message&)>;

struct WindowDef {
    WindowId parent = no_window; // none: a top-level window on the screen
    IntRect rect;                // outer rectangle, in the parent's client area or on the screen
    std::string title;
    WindowStyle style;
    bool visible = true;
    bool enabled = true;
    WindowProc procedure; // none: default handling only
    intptr_t data = 0;
};

enum class MessageBoxKind : uint8_t { note, error, fatal };
const char* message_box_kind_name(MessageBoxKind kind); // "note", "error", "fatal"
// The line a message box writes on standard error without a display: "KIND: TEXT", line breaks
// inside the text written as \n (those that end it dropped), ending in a newline. A fatal box
// writes its first line only: the engine wrote the rest to standard error before the box.
std::string message_box_echo_line(MessageBoxKind kind, std::string_view text);

using Clock = std::chrono::steady_clock;

class WindowSystem {
public:
    explicit WindowSystem(std::unique_ptr<Backend> backend);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    Backend& backend() { return *m_backend; }
    const Metrics& metrics() const { return m_metrics; }
    IntSize screen_size() const;
    int screen_depth() const;
    FontLibrary& fonts() { return m_fonts; }
    // The interface and caption fonts are opened at their first use: a program that never shows
    // a frame, control or text in them does not start the font machinery.
    const std::shared_ptr<const Font>& ui_font() const;
    const std::shared_ptr<const Font>& caption_font() const;
    // The font of a window's text: its own, else the interface font.
    const std::shared_ptr<const Font>& font_of(const WindowRecord& w) const;
    // The font a control was made with for its text; none for the interface font or no window.
    std::shared_ptr<const Font> own_font(WindowId id) const;
    Clipboard& clipboard() { return m_clipboard; }

    // --- Windows ---
    WindowId create_window(const WindowDef& def);
    bool destroy_window(WindowId id); // children first; each gets Msg::destroy
    bool exists(WindowId id) const { return record(id) != nullptr; }
    WindowId parent(WindowId id) const;
    WindowId top_level_of(WindowId id) const;
    std::vector<WindowId> children(WindowId id) const;     // bottom of the z-order first
    std::vector<WindowId> top_level_windows() const;       // bottom of the z-order first
    WindowId find_top_level(std::string_view title) const; // the topmost with that title

    bool move_window(WindowId id, IntRect outer); // sizes below 0 become 0
    IntRect outer_rect(WindowId id) const;        // parent client coordinates or screen
    IntSize client_size(WindowId id) const;
    IntRect client_area_in_outer(WindowId id) const; // where the client lies in the outer rect
    IntPoint client_to_screen(WindowId id, IntPoint p) const;
    bool show_window(WindowId id, bool visible);
    bool is_visible(WindowId id) const; // its own flag
    bool is_shown(WindowId id) const;   // it and all its ancestors visible
    // Popups (menus, drop-down lists) are drawn over their top-level window, not shown apart.
    bool is_popup(WindowId id) const;
    bool enable_window(WindowId id, bool enabled);
    bool is_enabled(WindowId id) const;
    bool raise_window(WindowId id);
    bool set_title(WindowId id, std::string_view title);
    std::string title(WindowId id) const;
    WindowStyle style(WindowId id) const;
    bool set_procedure(WindowId id, WindowProc procedure);
    bool set_data(WindowId id, intptr_t data);
    // Inline: window procedures read it on every message to find their own record.
    intptr_t data(WindowId id) const {
        size_t index = id & 0xFFFF;
        if (index == 0 || index > m_slots.size()) return 0;
        const Slot& s = m_slots[index - 1];
        return s.record && m_generations[index - 1] == (id >> 16) ? s.data : 0;
    }

    // --- Painting ---
    // The client surface, for drawing at any time; nullptr for no window. The window's picture
    // is shown again after drawing (mark_drawn, or any paint).
    Surface* surface(WindowId id);
    void mark_drawn(WindowId id);
    bool invalidate(WindowId id, std::optional<IntRect> area = std::nullopt); // none: all
    bool validate(WindowId id);
    std::optional<IntRect> update_rect(WindowId id) const;
    bool update_window(WindowId id); // sends Msg::paint now when the window has an update area

    // Between Msg::paint's begin and end: a device context clipped to the update rectangle,
    // which is validated when the scope begins. Its font is none: a painter that draws text
    // selects one.
    class PaintScope {
    public:
        PaintScope(WindowSystem& ws, WindowId id);
        ~PaintScope();
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;
        bool valid() const { return m_dc != nullptr; }
        DeviceContext& dc() { return *m_dc; }
        IntRect update_rect() const { return m_update; }

    private:
        WindowSystem& m_ws;
        WindowId m_id;
        std::unique_ptr<DeviceContext> m_dc;
        IntRect m_update;
    };

    // A top-level window's picture: frame, menu bar, client, children, caret and open popups.
    Surface compose(WindowId top);
    Surface compose_client(WindowId top); // only its client area

    // --- Messages ---
    bool post(const Message& message);     // false for no window (quit posts to none)
    intptr_t send(const Message& message); // calls the procedure now; 0 for no window
    bool peek(Message& out, bool remove);  // never waits
    bool get(Message& out);                // waits; false when it returns Msg::quit
    intptr_t dispatch(const Message& message);
    intptr_t default_procedure(const Message& message);
    void post_quit(int exit_code);
    // Asks every top-level window (query) and, when all agree or without a query, ends the
    // session: Msg::end_session to each. Returns whether the session ended.
    bool request_end_session(bool query);
    bool session_ended() const { return m_session_ended; }
    // Whether peek would find something: queued or generated messages other than due timers.
    bool messages_pending() const { return !m_queue.empty() || m_quit_posted || paint_pending(); }
    // Waits until a message is ready or the deadline passes (the backend's wait).
    void wait_for_input(std::optional<Clock::time_point> deadline);
    // Called after every wait for input, in every loop (modal ones included), so that the owner
    // of the window system can act on requests from outside it (signals).
    void set_wait_hook(std::function<void()> hook) { m_wait_hook = std::move(hook); }

    // --- Timers: one-shot or periodic, named by the caller's id within the window ---
    bool set_timer(WindowId id, int timer_id, int interval_ms, bool periodic);
    bool kill_timer(WindowId id, int timer_id);
    bool timers_pending() const { return !m_timers.empty(); }
    std::optional<Clock::time_point> next_timer_due() const;

    // --- Modal loops ---
    // Disables the other top-level windows, shows the window and dispatches messages until
    // end_modal or its destruction; a quit met on the way is posted again for the outer loop.
    int run_modal(WindowId id);
    bool end_modal(WindowId id, int result);
    int modal_depth() const { return m_modal_depth; }

    // --- Focus, capture, caret, cursors ---
    bool set_focus(WindowId id);
    WindowId focus() const { return m_focus; }
    bool activate(WindowId top);
    WindowId active_window() const { return m_active; }
    bool set_capture(WindowId id);
    void release_capture();
    WindowId capture() const { return m_capture; }
    bool create_caret(WindowId id, IntSize size);
    void destroy_caret();
    bool set_caret_pos(IntPoint client_point);
    void show_caret(bool visible);
    bool set_cursor(WindowId id, CursorShape shape);
    CursorShape cursor(WindowId id) const;
    CursorShape cursor_at_pointer() const; // the shape over the window under the mouse

    // --- Input from the backend (screen or window-relative positions as named) ---
    void input_key(Key key, char character, uint8_t modifiers);
    void input_text(std::string_view cp1252_text);
    enum class MouseEvent : uint8_t { down, up, move, double_click };
    // p is relative to the top-level window's outer rectangle.
    void input_mouse(WindowId top, MouseEvent event, IntPoint p, MouseButton button,
                     uint8_t modifiers);
    void input_wheel(WindowId top, IntPoint p, int lines);
    void input_close(WindowId top);
    void input_resize(WindowId top, IntSize outer_size);
    void input_activate(WindowId top);

    // --- Menus: '&' marks mnemonics; commands arrive as Msg::command with the item's tag ---
    bool set_menu_bar(WindowId top, std::vector<MenuItem> items);
    bool has_menu_bar(WindowId top) const;
    const MenuItem* menu_item(WindowId top, int tag) const;
    bool set_menu_checked(WindowId top, int tag, bool checked);
    bool set_menu_enabled(WindowId top, int tag, bool enabled);
    bool set_menu_title(WindowId top, int tag, std::string_view title);
    // "File/Open": titles without their '&'; posts the command when every step is enabled.
    bool choose_menu_path(WindowId top, std::string_view path);
    // Opens popup `index` of the menu bar and tracks it (keyboard and mouse) until it closes.
    void track_menu(WindowId top, int index, bool keyboard);
    bool menu_open() const;

    // --- Scroll bars: window bars (kind horizontal / vertical) or a scroll-bar control ---
    bool set_scroll_range(WindowId id, ScrollBarKind bar, int minimum, int maximum);
    bool set_scroll_pos(WindowId id, ScrollBarKind bar, int position);
    bool set_scroll_proportion(WindowId id, ScrollBarKind bar, int proportion);
    int scroll_pos(WindowId id, ScrollBarKind bar) const;

    // --- Controls: made and reached through host/controls/controls.h ---
    int control_id(WindowId id) const; // -1 when not a control
    std::optional<ControlKind> control_kind(WindowId id) const;

private:
    friend struct WindowRecord;
    friend struct MenuTracker;
    friend WindowRecord* find_record(const WindowSystem& ws, WindowId id);

    // A window's place in the handle space: the slot number (from 1) in the low 16 bits of its
    // handle, the slot's generation above it, so that a destroyed window's handle names nothing.
    // The caller's data lives here rather than in the record so that reading it is inline.
    struct Slot {
        std::unique_ptr<WindowRecord> record; // none: the slot is free
        intptr_t data = 0;
    };
    WindowRecord* record(WindowId id) const;

    struct Timer {
        WindowId window;
        int id;
        int interval_ms;
        bool periodic;
        Clock::time_point due;
        bool queued;
    };

    // Keyboard input is queued for whichever window has the focus when it is taken, so that a
    // key typed after Tab reaches the control that Tab moved the focus to.
    struct QueuedMessage {
        Message message;
        bool to_focus = false; // keyboard input: message.window is found when it is taken
    };

    void pump_backend();
    WindowId keyboard_target() const;
    void post_input(const Message& message);
    void post_translated(const Message& message);
    bool next_generated(Message& out, bool remove);
    bool take_timer(Message& out, bool remove);
    bool take_paint(Message& out);
    WindowId find_invalid(WindowId id) const; // the first shown window with an update area
    bool paint_pending() const;
    void destroy_tree(WindowRecord& w);
    void refit(WindowRecord& w, IntSize client_before); // after a frame change
    void unlink(WindowRecord& w);
    void mark_top_drawn(WindowId id);
    ScrollBarState* scroll_state(WindowId id, ScrollBarKind bar) const;
    template <typename Change>
    bool change_scroll_state(WindowId id, ScrollBarKind bar, Change change);
    void forget_window(WindowId id);
    void route_mouse(WindowId target, Msg kind, IntPoint client_point, MouseButton button,
                     uint8_t modifiers);
    void nonclient_mouse(WindowRecord& top, MouseEvent event, IntPoint p, MouseButton button,
                         uint8_t modifiers);
    void compose_into(Surface& out, WindowRecord& w, IntPoint origin, IntRect clip);
    bool dialog_key(WindowRecord& dialog, Key key, uint8_t modifiers);

    std::unique_ptr<Backend> m_backend;
    std::function<void()> m_wait_hook;
    Metrics m_metrics;
    mutable FontLibrary m_fonts;
    mutable std::shared_ptr<const Font> m_ui_font;
    mutable std::shared_ptr<const Font> m_caption_font;
    Clipboard m_clipboard;

    std::vector<Slot> m_slots;
    std::vector<uint16_t> m_generations; // of each slot, counting the windows it has held
    std::vector<WindowId> m_top_levels;  // z-order, topmost last
    std::deque<QueuedMessage> m_queue;
    std::vector<Timer> m_timers;
    unsigned m_invalid_windows = 0; // windows with an update area
    bool m_quit_posted = false;
    int m_quit_code = 0;
    bool m_session_ended = false;
    int m_modal_depth = 0;

    WindowId m_focus = no_window;
    WindowId m_active = no_window;
    WindowId m_capture = no_window;
    WindowId m_pointer_window = no_window;
    struct MenuTracker* m_menu = nullptr; // the open menu, while track_menu runs
    struct BarDrag {
        WindowId window = no_window; // a window bar's thumb being dragged
        ScrollBarKind bar = ScrollBarKind::vertical;
    } m_bar_drag;
    struct Caret {
        WindowId window = no_window;
        IntSize size;
        IntPoint position;
        int hidden = 1; // shown when 0
    } m_caret;
    struct Click {
        WindowId window = no_window;
        MouseButton button = MouseButton::left;
        IntPoint screen;
        Clock::time_point when;
    } m_last_click;
};

} // namespace quillet::host
