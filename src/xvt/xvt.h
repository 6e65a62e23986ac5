// The portable windowing layer: the one public header of the xvt_ operations, written over the
// host window system, in sections by area. Each area with operations has its source file of the
// same name; the others say what will come there.
//
// Handles of the layer's windows are small integers looked up in its tables, so a stale or
// forged handle is refused, never a crash. On the headless backend each message box writes one
// line to standard error, "KIND: TEXT", with the text's line breaks written as \n.
#pragma once

#include "host/raster/color.h"
#include "host/raster/geometry.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The product's title: the default window's and every message box's.
inline constexpr std::string_view product_title = "Quillet BASIC Amber Edition";

// ---- Application and events (app.cpp) ----------------------------------------------------------

// Task window events the engine reacts to.
inline constexpr int xvt_event_create = 0;
inline constexpr int xvt_event_destroy = 5;
inline constexpr int xvt_event_quit = 17;

using TaskEventHandler = long (*)(int window, int event);

struct AppConfig {
    const char* base_name;
    const char* app_name;
    const char* task_title;
    int menu_bar;
};

// Chooses the backend from the environment ahead of the application, so that a message box about
// a program that cannot start is a real box; false, with the reason on standard error, when no
// backend can be used. xvt_app_create does it when it has not been done.
bool xvt_app_open();

// Creates the task window and runs its event loop; delivers the creation event to the handler.
// Returns only when the task window could not be created.
void xvt_app_create(int argc, char** argv, long flags, TaskEventHandler handler,
                    const AppConfig& config);

// Destroys the task window and every window of the layer, and frees the layer's resources.
void xvt_app_destroy();

// Takes and dispatches pending host messages; sleeps 1 ms after 10000 empty peeks in a row.
void process_host_messages();

// From now on SIGINT and SIGTERM end the program: the signal marks the request, and the next pump
// or wait of any loop (a message box, the wait for a key, a modal dialog) calls on_interrupt with
// the signal's number, outside the signal handler, where it may clean up and end the process.
void xvt_catch_interrupts(void (*on_interrupt)(int signal));

// The layer's diagnostics (an unknown control notification...) go to this sink, one line each;
// the engine points it at its debug log. None: they are dropped.
using DiagnosticSink = void (*)(const char* line);
void xvt_set_diagnostic_sink(DiagnosticSink sink);

// ---- Events (event_translation.cpp, window_procedure.cpp) --------------------------------------

enum class EventKind : int32_t {
#define X(kind, name, fields) name = kind,
#include "xvt/event_kinds.def"
#undef X
};
inline constexpr int event_kind_count = 18;

// The 11-word event a window's handler receives, zero-filled; words[0] is the kind and the words
// after it are listed in event_kinds.def.
struct XvtEvent {
    std::array<int32_t, 11> words{};
    EventKind kind() const { return static_cast<EventKind>(words[0]); }
};

// A point as events and points of the layer pack it: vertical low 16 bits, horizontal high 16.
constexpr int32_t xvt_pack_point(IntPoint p) {
    return static_cast<int32_t>((static_cast<uint32_t>(p.x) << 16) |
                                (static_cast<uint32_t>(p.y) & 0xFFFF));
}
constexpr IntPoint xvt_unpack_point(int32_t packed) {
    return {static_cast<int16_t>(static_cast<uint32_t>(packed) >> 16),
            static_cast<int16_t>(packed & 0xFFFF)};
}

// Key codes of character events (key_codes.def); printable and control characters are their own
// codes.
namespace xvt_key {
#define X(name, code) inline constexpr int32_t name = code;
#include "xvt/key_codes.def"
#undef X
} // namespace xvt_key

// ---- Errors and handlers (errors.cpp) ----------------------------------------------------------

enum class ErrorId : uint32_t {
#define X(id, name, text) name = id,
#include "xvt/error_ids.def"
#undef X
};

enum class ErrorCategory : uint8_t {
#define X(name, text) name,
#include "xvt/error_categories.def"
#undef X
};

// An error record: the failing operation, its category, the id and the id's text. The record of
// unpopped handlers has id 0 and the text "Pushed handlers not popped.".
struct ErrorRecord {
    std::string_view api;
    std::string_view category;
    uint32_t id = 0;
    std::string_view text;
};

std::string_view xvt_error_text(uint32_t id); // empty for an id of no layer error
std::string_view xvt_error_category_text(ErrorCategory category);
bool xvt_is_layer_error(uint32_t id); // 0x20000001..0x2000000A

// A pushed handler or the error-message hook: non-zero when it dealt with the error.
using ErrorHandler = long (*)(const ErrorRecord& record, long data);

// Pushes a handler for the rest of the current window message.
void xvt_errmsg_push_handler(ErrorHandler handler, long data);
// Pops the newest entry with that handler and every entry pushed after it; a handler that is not
// on the stack is error 0x20000008 and changes nothing.
void xvt_errmsg_pop_handler(ErrorHandler handler);
size_t xvt_errmsg_handler_count();

// The process-wide error-message hook (window attribute 13), called with data 0.
void xvt_errmsg_set_hook(ErrorHandler hook);

// Reports an error of operation `api`. Inside a window message it ends that message's delivery
// (the handler's work stops there) and is offered to the pushed handlers, newest first, then the
// hook, then shown in an error box; outside a message it is offered the same way at once and the
// call returns. Operations report and then do nothing more.
void xvt_report_error(std::string_view api, ErrorCategory category, ErrorId id);

// Runs `work` as one window message does: with a handler stack of its own, ending at the first
// layer error, which is then offered as above; handlers left pushed are freed and reported as
// "Pushed handlers not popped." (category "error handling"). The engine may use it for layer
// calls outside window messages; window procedures use it for every message.
void xvt_run_guarded(const std::function<void()>& work);

// ---- Windows (windows.cpp) ---------------------------------------------------------------------

using XvtWindow = uint32_t;
inline constexpr XvtWindow no_xvt_window = 0;

// What a window shows when it is painted: drawing operations on the window (below) draw into it
// while the handler runs.
using PaintHandler = std::function<void(XvtWindow window)>;

struct XvtWindowDef {
    IntRect rect; // outer rectangle on the screen
    std::string_view title;
    bool caption = true;
    bool sizable = false;
    PaintHandler paint;
};

// The size of the screen; none when the application has no window system (a run without
// xvt_app_create).
std::optional<IntSize> xvt_screen_size();

// Creates a top-level window; no_xvt_window when there is no window system or the host refuses.
XvtWindow xvt_win_create(const XvtWindowDef& def);

// The size of the window's client area; 0 x 0 for no window.
IntSize xvt_vobj_get_client_size(XvtWindow window);

// Activates the window and gives it the keyboard focus; false for no window.
bool xvt_scr_set_focus_vobj(XvtWindow window);

// Runs the host's events until a key reaches the window: true then; false when the window ends
// (its close box) or the session does before.
bool xvt_win_wait_for_key(XvtWindow window);

// Layer window types (window_types.def) and what each accepts.
enum class WindowType : int32_t {
#define X(type, name, menus, timers, drawing, creation) name = type,
#include "xvt/window_types.def"
#undef X
};
struct WindowTypeInfo {
    int32_t type;
    std::string_view name;
    bool menus;          // takes a menu bar
    bool timers;         // takes timers
    bool drawing;        // drawing operations accept it
    bool creation_event; // receives event 0
};
const WindowTypeInfo* xvt_window_type_info(int32_t type); // nullptr for no layer type

// Flags of a window definition (window_flags.def).
namespace xvt_win_flag {
#define X(name, bit) inline constexpr uint32_t name = bit;
#include "xvt/window_flags.def"
#undef X
} // namespace xvt_win_flag

// Layer control types (control_types.def).
enum class ControlType : int32_t {
#define X(type, name, host_kind) name = type,
#include "xvt/control_types.def"
#undef X
    text_edit = 23,
};

// A menu item; arrays of them end with an item of tag 0.
namespace xvt_menu_flag {
inline constexpr uint32_t enabled = 0x1;
inline constexpr uint32_t checked = 0x2;
inline constexpr uint32_t separator = 0x8;
} // namespace xvt_menu_flag
struct XvtMenuItem {
    int16_t tag = 0;
    const char* title = nullptr;
    char mnemonic = 0; // marked in a copy of the title, without regard to case
    uint32_t flags = xvt_menu_flag::enabled;
    const XvtMenuItem* submenu = nullptr;
};

// A window's event handler: the answer matters for event 17 only through the quit-allowed flag.
using XvtEventHandler = std::function<long(XvtWindow window, const XvtEvent& event)>;

struct XvtWinDef {
    int32_t type = 1;
    IntRect client; // the client rectangle, in the parent's client area or on the screen
    std::string_view title;
    const XvtMenuItem* menu = nullptr;
    uint32_t flags = 0;
};

// Creates a window of the layer's window class; its frame grows around the client rectangle. The
// parent no_xvt_window (the task window or the desktop) makes a top-level window, any other a
// child. Event 0 reaches the handler during the creation (not for type 23). no_xvt_window after
// an error: 0x20000007 for a type that is not a window's or a bad parent.
XvtWindow xp_win_create_def(const XvtWinDef& def, XvtWindow parent, XvtEventHandler handler,
                            long data);
// Destroys the window (its children first); event 1 follows, then the handle is stale.
void xp_vobj_destroy(XvtWindow window);
int32_t xp_vobj_get_type(XvtWindow window); // 0 after 0x20000001
long xp_vobj_get_data(XvtWindow window);
void xp_vobj_set_data(XvtWindow window, long data);

// The character filter (window attribute 16): may change the key code and shift state of a
// character event before it is delivered.
using CharFilter = void (*)(int32_t& key, int32_t& shift);
void xvt_set_char_filter(CharFilter filter);

// The answer to the host's question whether the session may end (event 17 with query 1).
void xvt_set_quit_allowed(bool allowed);

// The host window under a layer window (for tests and the few engine parts that use the host
// directly); host::no_window for a stale handle.
uint32_t xvt_host_window(XvtWindow window);

// ---- Drawing (drawing.cpp) ---------------------------------------------------------------------

// Draws text with its baseline at p of the window's client area, in the window's font, while the
// window's paint handler runs; false (nothing drawn) at any other time or for no window.
bool xvt_dwg_draw_text(XvtWindow window, IntPoint p, std::string_view text);

// ---- Fonts -------------------------------------------------------------------------------------
// To come: font records, their families, styles and sizes, and text metrics.

// ---- Palettes (palettes.cpp) -------------------------------------------------------------------
// Colour tables of 0x00RRGGBB entries named by palette handles; a stale handle is 0x20000007.

using XvtPalette = uint32_t;
// Kind 1: the 20 static colours then black (256); 2: the system palette; 3: the 16 named
// colours; 4: the fixed 256-colour table; any other: the start-up copy of the system palette.
XvtPalette xp_palet_create(int32_t kind);
void xp_palet_destroy(XvtPalette palette);
int32_t xp_palet_size(XvtPalette palette);
// Adds each colour that no entry equals in all three components; the number added.
int32_t xp_palet_set_colors(XvtPalette palette, std::span<const Color> colors);
// Copies up to buffer.size() entries; the number copied.
int32_t xp_palet_get_colors(XvtPalette palette, std::span<Color> buffer);

// ---- Pixmaps -----------------------------------------------------------------------------------
// To come: off-screen pictures and images.

// ---- Controls ----------------------------------------------------------------------------------
// To come: buttons, edits, scroll bars and the other controls of windows and dialogs.

// ---- Menus (menus.cpp) -------------------------------------------------------------------------
// Menu bars by tag on windows of types 1, 2, 3 and 5 (0x20000001 for others).

// The title with its first "~" made the mnemonic mark "&".
std::string xvt_menu_mark_mnemonic(std::string_view title);
// Builds the window's menu bar from the items (0x20000007 for none), replacing the previous one.
void xvt_menu_set_tree(XvtWindow window, const XvtMenuItem* items);
void xvt_menu_update(XvtWindow window);
// By tag; a tag that is not in the window's menu table changes nothing.
void xvt_menu_set_item_checked(XvtWindow window, int tag, bool checked);
void xvt_menu_set_item_enabled(XvtWindow window, int tag, bool enabled);
void xvt_menu_set_item_title(XvtWindow window, int tag, std::string_view title);

// ---- Lists -------------------------------------------------------------------------------------
// To come: the layer's list type of strings with data.

// ---- Dialogs (dialogs.cpp) ---------------------------------------------------------------------

enum class MessageKind { note, error, fatal };

// A modal message box titled with the product title, with one "Ok" button.
void xvt_dm_post_message(MessageKind kind, std::string_view text);

// To come: dialogs built from resources, and the common dialogs (file, font, print setup).

// ---- Text edit ---------------------------------------------------------------------------------
// To come: multi-line text edit objects.

// ---- Printing ----------------------------------------------------------------------------------
// To come: print records, pages and the print thread.

// ---- Timers (timers.cpp) -----------------------------------------------------------------------

// One-shot timers by id, each with its deadline in milliseconds of the steady clock.
struct XvtTimers {
    int last_id = 0;
    std::map<int, int64_t> deadlines;
};

inline XvtTimers xvt_timers;

// Periodic window timers: event 16 with the timer's identifier at each expiry. Windows of types
// 1, 2, 3, 7 and 8 (0x20000001 for others); an interval below 0 is 0x20000007. 0 after an error.
using XvtTimer = uint32_t;
XvtTimer xp_timer_create(XvtWindow window, int32_t interval_ms);
void xp_timer_destroy(XvtTimer timer); // a stale timer is 0x20000007

// Forgets every timer.
void reset_xvt_timers();

// Waits ms milliseconds (none when ms <= 0) while pumping host messages, sleeping between pumps.
void xvt_timed_wait(int64_t ms);

// A one-shot timer of ms milliseconds; its id is positive and never reused.
int xvt_timer_create(int64_t ms);

// Removes a timer; an unknown id is ignored.
void xvt_timer_kill(int id);

// Whether the timer exists and its time has passed.
bool xvt_timer_expired(int id);

} // namespace quillet
