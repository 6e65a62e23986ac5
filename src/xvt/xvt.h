// The portable windowing layer: the one public header of the xvt_ operations, written over the
// host window system, in sections by area. Each area with operations has its source file of the
// same name; the others say what will come there.
//
// Handles of the layer's windows are small integers looked up in its tables, so a stale or
// forged handle is refused, never a crash. On the headless backend each message box writes one
// line to standard error, "KIND: TEXT", with the text's line breaks written as \n.
#pragma once

#include "host/raster/geometry.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

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

// ---- Errors and handlers -----------------------------------------------------------------------
// To come: the error-message records, the error hook and the handler stack.

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

// ---- Drawing (drawing.cpp) ---------------------------------------------------------------------

// Draws text with its baseline at p of the window's client area, in the window's font, while the
// window's paint handler runs; false (nothing drawn) at any other time or for no window.
bool xvt_dwg_draw_text(XvtWindow window, IntPoint p, std::string_view text);

// ---- Fonts -------------------------------------------------------------------------------------
// To come: font records, their families, styles and sizes, and text metrics.

// ---- Palettes ----------------------------------------------------------------------------------
// To come: palettes and colour matching.

// ---- Pixmaps -----------------------------------------------------------------------------------
// To come: off-screen pictures and images.

// ---- Controls ----------------------------------------------------------------------------------
// To come: buttons, edits, scroll bars and the other controls of windows and dialogs.

// ---- Menus -------------------------------------------------------------------------------------
// To come: menu bars, their items and popup menus.

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
