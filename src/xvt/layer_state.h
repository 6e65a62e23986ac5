// The windowing layer's own state, shared by its area files (private to the layer): the
// application, its window system and the tables of the layer's windows and timers.
#pragma once

#include "host/raster/device_context.h"
#include "host/text/fonts.h"
#include "host/windows/backend.h"
#include "host/windows/window_system.h"
#include "xvt/handle_table.h"
#include "xvt/xvt.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillet::xvt_detail {

// One entry of a window's menu table: where the item with that tag sits (menu 0 is the bar,
// its popups count on from 1 in the order they are built).
struct MenuEntry {
    int16_t tag = 0;
    int menu = 0;
    int16_t position = 0;
};

class TextEditor; // text_edit.h
class PrintJob;   // printing.h

// What the layer keeps for each of its windows.
struct LayerWindow {
    PaintHandler paint;                // windows of xvt_win_create
    DeviceContext* painting = nullptr; // while the paint handler runs
    bool key_pressed = false;

    int32_t type = 1;
    host::WindowId host = host::no_window;
    XvtWindow parent = no_xvt_window;
    // Windows of xp_win_create_def. Apart from the record so that it outlives a record destroyed
    // while it runs (see retired_handlers).
    std::unique_ptr<const XvtEventHandler> handler;
    long data = 0;
    host::WindowId saved_focus = host::no_window; // while the window is inactive
    std::vector<MenuEntry> menu_table;

    // Drawing: the tools record as last set, the pen and brush selected from it (or standard
    // ones), the pen position, the clip, the font and the device's resolution.
    DrawTools tools;
    Pen pen;
    Brush brush;
    IntPoint pen_position;
    std::optional<IntRect> clip;
    XvtFont font = 0;
    std::shared_ptr<const Font> host_font; // none: the host's interface font
    int pixels_per_inch = font_dpi;
    std::unique_ptr<Surface> picture; // pixmaps (type 8); print windows: the page
    // Shared so that this header needs only their names; each belongs to this record alone.
    std::shared_ptr<TextEditor> text_edit; // type 23
    std::shared_ptr<PrintJob> print_job;   // type 4

    int32_t cursor = xvt_cursor::arrow;
    std::vector<Color> palette; // selected with xp_vobj_set_palet; none at first
};

// A font object and the host font built for one window.
struct LayerFont {
    std::string family;
    int32_t points = 0;
    uint32_t style = 0;
    bool mapped = false;
    std::shared_ptr<const Font> host;
    XvtWindow mapped_for = no_xvt_window;
};

struct LayerTimer {
    XvtWindow window = no_xvt_window;
};

struct LayerPalette {
    std::vector<Color> colors;
    // The colours above, for xp_palet_set_colors's test of what is present: a picture's palette
    // may take hundreds of thousands of colours, in batches.
    std::unordered_set<Color> present;
};

// A linked list's elements in order; element handles are numbers given out by the list.
struct LinkedElement {
    XvtLlistElt id = no_llist_elt;
    std::vector<uint8_t> data;
    long user = 0;
};
struct LayerLinkedList {
    std::vector<LinkedElement> elements;
    XvtLlistElt last_id = no_llist_elt;
};

// The handler stack of the window message being delivered, newest last.
struct ErrorHandlerEntry {
    ErrorHandler handler;
    long data;
};

struct AppState {
    TaskEventHandler handler = nullptr;
    unsigned empty_peeks = 0;
    std::unique_ptr<host::Backend> backend; // until the window system takes it
    std::unique_ptr<host::WindowSystem> windows;
    HandleTable<LayerWindow> window_table;
    std::unordered_map<host::WindowId, XvtWindow> by_host;
    HandleTable<LayerTimer> timers;
    HandleTable<LayerPalette> palettes;
    HandleTable<LayerFont> fonts;
    HandleTable<LayerLinkedList> linked_lists;
    std::vector<ErrorHandlerEntry> error_handlers;
    // Guards running (every delivery of an event runs under one).
    int guard_depth = 0;
    // Handlers of windows destroyed while a guard ran, kept until the outermost guard ends: the
    // handler that destroyed its window may still be running.
    std::vector<std::unique_ptr<const XvtEventHandler>> retired_handlers;
    ErrorHandler error_hook = nullptr;
    CharFilter char_filter = nullptr;
    bool quit_allowed = false;
    bool quit_query = false; // the quit event being delivered to the task handler asks
    DiagnosticSink diagnostics = nullptr;

    // The task window: its record exists from xvt_app_create; its host window (hidden) is made
    // with the window system.
    XvtWindow task_window = no_xvt_window;
    std::string task_title;
    std::vector<XvtAccelerator> accelerators;
};

inline AppState app;

// Acts on a SIGINT or SIGTERM that arrived since (see xvt_catch_interrupts).
void check_interrupt();

// The window system, made on first use, so that a program that never opens a window starts
// fast; nullptr when the application has no backend (a run without xvt_app_open or
// xvt_app_create, as the fuzz target does).
host::WindowSystem* window_system();

// The layer's record of a window that still exists; nullptr for a stale or forged handle.
LayerWindow* layer_window(XvtWindow window);
// The layer's handle of a host window; no_xvt_window when it is none of the layer's.
XvtWindow layer_handle(host::WindowId id);
// Adds a record for a host window about to be created or just created.
XvtWindow add_layer_window(std::unique_ptr<LayerWindow> record);
void bind_host_window(XvtWindow window, host::WindowId id);
// Removes the record of a destroyed host window, with its timers.
void forget_layer_window(XvtWindow window);

// The window procedure of the layer's controls: the host's behaviour, and the record forgotten
// when the control goes.
intptr_t layer_control_procedure(host::WindowSystem& ws, const host::Message& m);

// The window's record when it exists and its type passes `accepts`, else reports 0x20000001 for
// `api` and gives nullptr.
LayerWindow* checked_window(XvtWindow window, std::string_view api, ErrorCategory category,
                            bool (*accepts)(const WindowTypeInfo&));

// The record of a window or control that has a host window (not pixmaps); else reports
// 0x20000001 for `api` and gives nullptr.
LayerWindow* host_backed_window(XvtWindow window, std::string_view api, ErrorCategory category);

// Makes the task window's hidden host window once the window system exists.
void create_task_host_window(host::WindowSystem& ws);

// An accelerator's command for a key-down message, when the table has one.
std::optional<int32_t> accelerator_command(const host::Message& m);

// One line to the diagnostic sink, printf-style.
[[gnu::format(printf, 1, 2)]] void diagnostic(const char* format, ...);

} // namespace quillet::xvt_detail
