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
#include "host/raster/surface.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
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

// Takes and dispatches pending host messages; sleeps 1 ms after 10000 empty peeks in a row, so
// that a built-in that waits by polling does not spin the processor.
void process_host_messages();

// Takes and dispatches pending host messages without counting an empty peek: the op loops' pump,
// which runs every few hundred ops of a program that is computing, not waiting. (Sleeping there
// would cost a fast engine a millisecond in every seven or so of computing.)
void dispatch_host_messages();

// Tells the host that the program is ending and about to close its windows (the headless
// backend takes its exit pictures then).
void xvt_app_program_ending();

// Waits for the next host message (timers included) and dispatches it; false, with nothing
// dispatched, when the session has ended or there is no window system.
bool xvt_wait_message();

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

// ---- Memory (memory.cpp) -----------------------------------------------------------------------

// A zero-filled block of `size` bytes that the caller owns until it gives it back with
// xvt_mem_free (size 0 gives a block too); nullptr after 0x20000006 when memory runs out.
void* xvt_mem_alloc(size_t size);
// Frees a block that the layer handed out. A null block is 0x20000007 (category "app"), and so is
// a pointer the layer did not hand out or that was freed already: nothing is freed then.
void xvt_mem_free(void* block);

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
// The layer window holding the keyboard focus (a focused control's window); none when no window
// of the layer has it.
XvtWindow xvt_scr_get_focus_vobj();
// The task window's title: set by xvt_app_create and option "stt"; the task window is not shown
// on our host, so the title is only kept.
void xvt_app_set_title(std::string_view title);
std::string_view xvt_app_get_title();
long xp_vobj_get_data(XvtWindow window);
void xp_vobj_set_data(XvtWindow window, long data);

// The character filter (window attribute 16): may change the key code and shift state of a
// character event before it is delivered; it is told whether the control key was held.
using CharFilter = void (*)(int32_t& key, int32_t& shift, int32_t control);
void xvt_set_char_filter(CharFilter filter);

// The answer to the host's question whether the session may end (event 17 with query 1).
void xvt_set_quit_allowed(bool allowed);
// While the task handler receives event 17: whether it is that question (true) or the session's
// end (false).
bool xvt_quit_is_query();

// The host window under a layer window (for tests and the few engine parts that use the host
// directly); host::no_window for a stale handle.
uint32_t xvt_host_window(XvtWindow window);

// ---- Screen attributes (screen_attributes.cpp) -------------------------------------------------

enum class XvtScreenAttr : int32_t {
#define X(number, name, meaning) name = number,
#include "xvt/screen_attributes.def"
#undef X
};

// Display kinds (screen attribute 10), from the screen's bits per pixel.
namespace xvt_display_kind {
inline constexpr int32_t two_colours = 0;     // 1 bit
inline constexpr int32_t sixteen_colours = 1; // 4 bits
inline constexpr int32_t palette_256 = 3;     // 8 bits with a palette
inline constexpr int32_t true_colour = 5;     // more
} // namespace xvt_display_kind
int32_t xvt_display_kind_of_depth(int bits_per_pixel);

// The screen attribute `attr` (screen_attributes.def) as seen from the window; 0 for a number
// not listed; 0 and 0x20000009 without a window system.
int32_t xp_vobj_get_attr(XvtWindow window, int32_t attr);
// Sets attribute 26; any other is accepted and ignored (the error-message and character-filter
// hooks, attributes 13 and 16, have their own setters since they are routines).
void xp_vobj_set_attr(XvtWindow window, int32_t attr, int32_t value);

// The colour the device (attribute 19) shows for the colour: black or white on a two-colour
// screen, the nearest of the sixteen standard colours, the nearest system-palette entry on a
// palette screen, the colour itself on a true-colour one.
Color xp_dwin_get_nearest_color(XvtWindow device, Color color);

// ---- Drawing (drawing.cpp, drawing_tools.cpp) --------------------------------------------------
// Drawing on windows of types 1, 2, 3, 4, 7 and 8 (0x20000001 for others), with the window's
// tools, font, clip and pen position. Drawing reaches the window's surface at once (pixmaps: their
// picture); a paint handler may draw too.

// Draws text with its baseline at p of the window's client area, in the window's font, while the
// window's paint handler runs; false (nothing drawn) at any other time or for no window.
bool xvt_dwg_draw_text(XvtWindow window, IntPoint p, std::string_view text);

// The drawing tools of a window, read and written whole: 40 bytes, ten 4-byte fields.
struct DrawTools {
    int16_t pen_width = 1;
    int32_t pen_pattern = 2; // 1 hollow (no pen); 9 with style 0 dotted; anything else as styled
    int32_t pen_style = 0;   // 0 solid, 1 dotted, 2 dashed
    Color pen_color = 0;
    int32_t brush_pattern = 2; // 0, 1, 10 hollow; 2 solid; 3..8 hatched (xvt_brush_pattern)
    Color brush_color = 0xFFFFFF;
    int32_t mode = 0;        // drawing mode (xvt_draw_mode); any other value copies
    Color text_color = 0;    // colour of text
    int32_t opaque_text = 0; // non-zero: text cells and hatch gaps take the background colour
    Color background = 0xFFFFFF;
};
static_assert(sizeof(DrawTools) == 40);

namespace xvt_brush_pattern {
inline constexpr int32_t hollow = 1;
inline constexpr int32_t solid = 2;
inline constexpr int32_t horizontal = 3, vertical = 4, forward_diagonal = 5, backward_diagonal = 6,
                         cross = 7, diagonal_cross = 8;
} // namespace xvt_brush_pattern

// Drawing modes: the pen and brush mix, and for pixmap copies the block transfer (in brackets).
namespace xvt_draw_mode {
inline constexpr int32_t copy = 0;     // (source copy)
inline constexpr int32_t mask = 1;     // pen AND destination (source OR destination)
inline constexpr int32_t xor_ = 2;     // (source XOR destination)
inline constexpr int32_t white = 3;    // (white)
inline constexpr int32_t not_copy = 4; // (NOT source)
inline constexpr int32_t not_mask = 5; // (NOT source erase)
inline constexpr int32_t not_xor = 6;  // (source copy)
inline constexpr int32_t black = 7;    // (source copy)
} // namespace xvt_draw_mode

// Arrow heads of xp_dwin_draw_aline.
namespace xvt_arrow {
inline constexpr uint32_t at_from = 0x1;
inline constexpr uint32_t at_to = 0x2;
} // namespace xvt_arrow

void xp_dwin_get_draw_ctools(XvtWindow window, DrawTools& tools);
// Replaces the tools: builds and selects their pen and brush, background colour and mode.
void xp_dwin_set_draw_ctools(XvtWindow window, const DrawTools& tools);
// Selects the standard black (0) or white (1) solid pen or brush; other values are 0x20000007
// and change nothing. The tools record is left as it was.
void xp_dwin_set_std_cpen(XvtWindow window, int32_t which);
void xp_dwin_set_std_cbrush(XvtWindow window, int32_t which);
void xp_dwin_set_back_color(XvtWindow window, Color color);

// Text with its baseline at y, in the window's font and text colour; length -1: up to the first
// NUL. A length beyond the text is 0x20000007.
void xp_dwin_draw_text(XvtWindow window, int32_t x, int32_t y, std::string_view text,
                       int32_t length);
// All three outputs must be given (0x20000003 otherwise).
void xp_dwin_get_font_metrics(XvtWindow window, int32_t* leading, int32_t* ascent,
                              int32_t* descent);
// 0x20000004 (and 0) for a length beyond the text.
int32_t xp_dwin_get_text_width(XvtWindow window, std::string_view text, int32_t length);

// Fills the client area (pixmaps: their size) with the colour.
void xp_dwin_clear(XvtWindow window, Color color);
void xp_dwin_draw_set_pos(XvtWindow window, IntPoint p);
// From the pen position to p, which becomes the pen position.
void xp_dwin_draw_line(XvtWindow window, IntPoint p);
// A line with arrow heads (xvt_arrow) in the pen; the pen position becomes `to`.
void xp_dwin_draw_aline(XvtWindow window, IntPoint from, IntPoint to, uint32_t arrows);
void xp_dwin_draw_rect(XvtWindow window, const IntRect& r);
void xp_dwin_draw_roundrect(XvtWindow window, const IntRect& r, int32_t corner_width,
                            int32_t corner_height);
void xp_dwin_draw_oval(XvtWindow window, const IntRect& r);
void xp_dwin_draw_arc(XvtWindow window, const IntRect& r, IntPoint start, IntPoint stop);
void xp_dwin_draw_pie(XvtWindow window, const IntRect& r, IntPoint start, IntPoint stop);
void xp_dwin_draw_polygon(XvtWindow window, std::span<const IntPoint> points);
void xp_dwin_draw_polyline(XvtWindow window, std::span<const IntPoint> points);

// Null clears the clip; the clip read back is the client rectangle when none is set.
void xp_dwin_set_clip(XvtWindow window, const IntRect* clip);
void xp_dwin_get_clip(XvtWindow window, IntRect& clip);
// Null: the whole client area. Event 4 follows.
void xp_dwin_invalidate_rect(XvtWindow window, const IntRect* area);
// Moves the contents of the rectangle and invalidates the part uncovered; not for pixmaps and
// print windows (0x20000001).
void xp_dwin_scroll_rect(XvtWindow window, const IntRect& r, int32_t dx, int32_t dy);

// The client rectangle: (0, 0, width, height); pixmaps their size.
void xp_vobj_get_client_rect(XvtWindow window, IntRect& rect);

// ---- Fonts (fonts.cpp) ------------------------------------------------------------------------
// Font objects named by handles (a stale one is 0x20000007): family, size in points and style,
// mapped to a host font for one window at that window's pixels per inch.

using XvtFont = uint32_t;
namespace xvt_font_style {
inline constexpr uint32_t bold = 0x1;
inline constexpr uint32_t italic = 0x2;
inline constexpr uint32_t underline = 0x4;
inline constexpr uint32_t strike_out = 0x80;
} // namespace xvt_font_style

// A new font object: no family, size 0, no style, not mapped.
XvtFont xp_font_create();
void xp_font_destroy(XvtFont font);
// "fixed" in any case becomes "Courier New"; other families are kept (at most 255 bytes).
void xp_font_set_family(XvtFont font, std::string_view family);
void xp_font_set_size(XvtFont font, int32_t points); // below 1: 0x20000007
void xp_font_set_style(XvtFont font, uint32_t style);
int32_t xp_font_get_size(XvtFont font);
uint32_t xp_font_get_style(XvtFont font);
// Copies the family with a NUL into the buffer, truncated to fit; the bytes copied before the NUL.
int32_t xp_font_get_family(XvtFont font, std::span<char> buffer);
// Builds the host font for the window: height -(points x pixels per inch / 72), weight 700 for
// bold else 400, the style flags, the first 31 bytes of the family as face name. A family the
// host cannot serve is 0x20000009.
void xp_font_map(XvtFont font, XvtWindow window);
// Maps the font for the window when it is not mapped for it, and makes it the window's font.
void xp_dwin_set_font(XvtWindow window, XvtFont font);
// The font families the window can draw with, sorted, each once: the host's families, and for a
// print window only those of scalable (outline) fonts.
std::vector<std::string> xp_fmap_get_families(XvtWindow window);

// ---- Palettes (palettes.cpp) -------------------------------------------------------------------
// Colour tables of 0x00RRGGBB entries named by palette handles; a stale handle is 0x20000007.

using XvtPalette = uint32_t;
// Kind 1: the 20 static colours then black (256); 2: the system palette; 3: the 16 named
// colours; 4: the fixed 256-colour table; any other: the start-up copy of the system palette.
XvtPalette xp_palet_create(int32_t kind);
void xp_palet_destroy(XvtPalette palette);
// Destroys the palette when it still exists, without an error otherwise: for owners that may
// outlive the layer's session (whose end destroys every palette).
void xvt_palet_release(XvtPalette palette);
int32_t xp_palet_size(XvtPalette palette);
// Adds each colour that no entry equals in all three components; the number added.
int32_t xp_palet_set_colors(XvtPalette palette, std::span<const Color> colors);
// Copies up to buffer.size() entries; the number copied.
int32_t xp_palet_get_colors(XvtPalette palette, std::span<Color> buffer);

// ---- Pixmaps (pixmaps.cpp) ----------------------------------------------------------------------
// Off-screen pictures: windows of type 8 with a picture of their own (black at first), drawn on
// by the drawing operations and copied to windows or other pixmaps.

// A pixmap of width x height for the window's device (no_xvt_window: the screen); sizes below 1
// are 0x20000007, sizes the host cannot hold 0x20000006. no_xvt_window after an error.
XvtWindow xp_pmap_create(XvtWindow window, int32_t type, int32_t width, int32_t height);
void xp_pmap_destroy(XvtWindow pixmap); // a window that is not a pixmap: 0x20000001
// Copies the source rectangle of the pixmap into the destination rectangle of the window,
// stretched to fit, with the block transfer of the window's drawing mode; a null rectangle is
// 0x20000007.
void xp_dwin_draw_pmap(XvtWindow window, XvtWindow pixmap, const IntRect* dest,
                       const IntRect* source);
// Copies the source rectangle of a host picture into the destination rectangle of the window,
// stretched to fit, with the block transfer `rop` (BOX SHOW, pictures and image objects).
void xp_dwin_draw_picture(XvtWindow window, const Surface& picture, const IntRect& dest,
                          const IntRect& source, uint32_t rop);
// The pixmap's picture (for tests and the image code); nullptr when it is no pixmap.
const Surface* xvt_pmap_surface(XvtWindow pixmap);

// ---- Controls (controls.cpp, scroll_bars.cpp) --------------------------------------------------
// Child controls over the host's controls, named by layer handles like windows: the window
// operations (title as the control's text, visibility, enabling, moving, focus, destruction) take
// them, xp_vobj_get_type gives their control type. Their notifications reach the parent's
// handler as event 15 with the control's handle in word 3.

namespace xvt_ctl_flag {
inline constexpr uint32_t default_button = 0x4;
inline constexpr uint32_t disabled = 0x8;
inline constexpr uint32_t hidden = 0x20;
inline constexpr uint32_t multiple_selection = 0x80; // list boxes
inline constexpr uint32_t extended_selection = 0x200;
// Where the text of static text and buttons sits: left without either.
inline constexpr uint32_t centered = 0x400;
inline constexpr uint32_t right = 0x800;
} // namespace xvt_ctl_flag

struct XvtCtlDef {
    int32_t type = 12; // ControlType 12..22
    IntRect rect;      // outer rectangle in the parent's client area
    std::string_view title;
    int16_t id = 0;
    uint32_t flags = 0;
};

// A control in the parent window (types 1, 2, 3 and 7; else 0x20000001); a type that is no
// control's is 0x20000002, a host refusal 0x20000009. no_xvt_window after an error.
XvtWindow xp_ctl_create_def(const XvtCtlDef& def, XvtWindow parent, long data);
// Check boxes and radio buttons (others: 0x20000001, category "ctl").
void xp_ctl_set_checked(XvtWindow control, bool checked);
bool xvt_ctl_is_checked(XvtWindow control); // false for no check box or radio button
// Checks the control and unchecks the other radio buttons of the group (the control among
// them; else 0x20000007).
void xp_ctl_check_radio_button(XvtWindow control, std::span<const XvtWindow> group);
// Selects the characters start..end of an edit field or a list edit's edit line (types 17 and
// 21; others: 0x20000001, category "ctl"); end -1 or beyond the text: to its end.
void xp_ctl_set_text_sel(XvtWindow control, int32_t start, int32_t end);

// Scroll bars (category "sbar"): a scroll-bar control, or a window's own bar: `which` 0 the
// horizontal, 1 the vertical one (ignored for controls; else 0x20000007). The position is kept
// between the minimum and the maximum less the proportion (the thumb's size in range units).
void xp_sbar_set_range(XvtWindow window, int32_t which, int32_t minimum, int32_t maximum);
void xp_sbar_set_pos(XvtWindow window, int32_t which, int32_t position);
int32_t xp_sbar_get_pos(XvtWindow window, int32_t which); // 0 after an error
void xp_sbar_set_proportion(XvtWindow window, int32_t which, int32_t proportion);

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

// ---- Lists (lists.cpp, linked_lists.cpp) -------------------------------------------------------

// A list of strings, each with a data word.
struct XvtSlistItem {
    std::string text;
    long data = 0;
};
using XvtSlist = std::vector<XvtSlistItem>;

// The items of list boxes, list buttons and list edits (control types 19, 20, 21; others and
// stale handles 0x20000001, category "list"). Indexes count from 0; an index that names no item
// is 0x20000007.
// At `index`, or at the end for -1 or an index past the end.
void xp_list_add(XvtWindow control, int32_t index, std::string_view text);
void xp_list_clear(XvtWindow control);
int32_t xp_list_count_all(XvtWindow control);
int32_t xp_list_count_sel(XvtWindow control);
// The selected items' texts, each with its index as data, in list order.
XvtSlist xp_list_get_sel(XvtWindow control);
int32_t xp_list_get_sel_index(XvtWindow control); // the first selected; -1 for none
bool xp_list_is_sel(XvtWindow control, int32_t index);
// Selecting in a single-selection list leaves the other items unselected.
void xp_list_set_sel(XvtWindow control, int32_t index, bool selected);

// Linked lists of owned byte blocks (category "llist"), each element with a user word, in
// insertion order or sorted by text. Lists and elements are small handles: a stale list is
// 0x20000001, an element not in the list 0x20000007.
using XvtLlist = uint32_t;
using XvtLlistElt = uint32_t;
inline constexpr XvtLlistElt no_llist_elt = 0;
XvtLlist xp_llist_create();
void xp_llist_destroy(XvtLlist list);
// A copy of the bytes in a new element placed before `at` (no_llist_elt: at the end).
XvtLlistElt xp_llist_add_at_elt(XvtLlist list, XvtLlistElt at, std::span<const uint8_t> data,
                                long user);
// The same at a 16-bit position; a position at or past the count appends.
XvtLlistElt xp_llist_add_at_index(XvtLlist list, uint16_t index, std::span<const uint8_t> data,
                                  long user);
// The text and its NUL.
XvtLlistElt xp_llist_add_text(XvtLlist list, XvtLlistElt at, std::string_view text, long user);
// The text and its NUL before the first element whose text sorts after it: byte by byte when
// case_sensitive, else without regard to case.
XvtLlistElt xp_llist_add_sorted(XvtLlist list, std::string_view text, long user,
                                bool case_sensitive);
int32_t xp_llist_count(XvtLlist list); // the elements (0 after an error)
// Element n from 0 and its user word; none past the end.
std::optional<std::span<const uint8_t>> xp_llist_get_nth(XvtLlist list, int32_t n, long* user);
XvtLlistElt xp_llist_first(XvtLlist list); // no_llist_elt when empty
// An element's data and user word, and the element after it (no_llist_elt at the end).
std::optional<std::span<const uint8_t>> xp_llist_elt_data(XvtLlist list, XvtLlistElt element,
                                                          long* user, XvtLlistElt* next);

// ---- Dialogs (dialogs.cpp) ---------------------------------------------------------------------

enum class MessageKind { note, error, fatal };

// A modal message box titled with the product title, with one "Ok" button.
void xvt_dm_post_message(MessageKind kind, std::string_view text);

// Modal dialogs from definitions (dialog_defs.cpp): an array of items, the first the dialog (type
// 10 or 11), then its controls (types 12..22, control_types.def), ended by an item of type 0.
namespace xvt_dlg_flag {
inline constexpr uint32_t default_button = 0x4;
inline constexpr uint32_t disabled = 0x8;
inline constexpr uint32_t hidden = 0x20;
inline constexpr uint32_t multiple = 0x80; // list boxes: several items may be chosen
inline constexpr uint32_t extended = 0x200;
inline constexpr uint32_t centered = 0x400; // static text
inline constexpr uint32_t right = 0x800;    // static text
} // namespace xvt_dlg_flag
struct XvtDialogItem {
    int32_t type = 0;
    IntRect rect; // the dialog: its client area on the screen; controls: in the dialog's client
    std::string_view text; // the dialog's title or the control's text
    int16_t id = 0;
    uint32_t flags = 0;
    XvtFont font = 0; // a control's text: 0 for the dialog's font (unused on the dialog's item)
};

// Builds the dialog (a layer window of type 3) with its controls and runs it modally: the handler
// receives event 0 first, then the dialog's events (controls, close, timers) until it destroys
// the dialog. False without running it: 0x20000007 for items that are not a dialog definition or
// a stale font, 0x20000002 for an unknown control type, 0x20000006 when the host cannot build it.
// A control's text is drawn in its item's font, else in the dialog's font given here, else in the
// host's interface font; the fonts are copies, so the font objects may be destroyed after.
bool xp_dlg_create_def(const XvtDialogItem* items, XvtEventHandler handler, long data,
                       XvtFont font = 0);

// The font chooser (font_chooser.cpp): family, size and style of the font object, changed when
// the user confirms (true); false, the font unchanged, when cancelled. The window (or
// no_xvt_window) owns the chooser while it runs.
bool xp_dm_post_font_sel(XvtWindow window, XvtFont font);

// ---- Text edit (text_edit.cpp, text_edit_keys.cpp, text_edit_paint.cpp) -----------------------
// Text-edit objects: windows of type 23, children of a layer window, holding paragraphs that are
// wrapped into lines at the margin, a selection with its caret, a character limit and a view,
// drawn by the layer. Errors are of category "tx": a handle that names no text edit is
// 0x20000001, a missing argument or a paragraph or line out of range 0x20000007.

using XvtTextEdit = XvtWindow;

namespace xvt_tx_attr {
inline constexpr uint32_t border = 0x40000;       // a border drawn in the third colour
inline constexpr uint32_t read_only = 0x10000000; // no caret, no changes from keys
inline constexpr uint32_t wrap = 0x20000000;      // paragraphs wrap at the margin
} // namespace xvt_tx_attr

// A place in the text as paragraph, wrapped line of the paragraph and character of the line.
struct TxPlace {
    int32_t paragraph = 0;
    int32_t line = 0;
    int32_t character = 0;
    friend bool operator==(const TxPlace&, const TxPlace&) = default;
};
struct TxSelection {
    TxPlace start, end;
    friend bool operator==(const TxSelection&, const TxSelection&) = default;
};
// The view origin: the first line shown (as paragraph and line, and counted over the whole
// text) and the horizontal offset in pixels.
struct TxOrigin {
    int32_t paragraph = 0;
    int32_t line = 0;
    int32_t horizontal = 0;
    int32_t first_line = 0;
    friend bool operator==(const TxOrigin&, const TxOrigin&) = default;
};

// What the scroll callback is told: the new first line and horizontal offset, each 0xFFFF when
// it did not change, and the number of lines of the text.
inline constexpr int32_t tx_unchanged = 0xFFFF;
struct TxScrollNotice {
    int32_t vertical = tx_unchanged;
    int32_t horizontal = tx_unchanged;
    int32_t lines = 0;
};
using TxScrollCallback = std::function<void(XvtTextEdit, const TxScrollNotice&)>;

// Creates a text edit in the parent (0x20000001 for none, 0x20000007 for a null rectangle), with
// a copy of the font (none: "helvetica", 10 points, plain), the margin in pixels and the limit
// (0: none). Character, focus and mouse button events of the object go to the parent's handler
// with the text edit as their window, which passes the characters and focus changes on to
// xp_tx_process_event; a parent without a handler has them processed at once. Mouse events carry
// their point in the parent's client coordinates, as the parent's own clicks do; the object
// itself takes the left button once the handler returns: the caret to the point, shift extending
// the selection, a double click selecting the word, a drag extending the selection.
XvtTextEdit xp_tx_create(XvtWindow parent, const IntRect* rect, uint32_t attributes, XvtFont font,
                         int32_t margin, int32_t limit);
void xp_tx_destroy(XvtTextEdit tx);
void xp_tx_clear(XvtTextEdit tx);
// Inserts a paragraph at index (negative or beyond the count: at the end), then tells the scroll
// callback the number of lines.
void xp_tx_add_par(XvtTextEdit tx, int32_t index, std::string_view text);
void xp_tx_append(XvtTextEdit tx, int32_t paragraph, std::string_view text);
void xp_tx_rem_par(XvtTextEdit tx, int32_t index);
int32_t xp_tx_get_num_pars(XvtTextEdit tx);
int32_t xp_tx_get_num_lines(XvtTextEdit tx);
int32_t xp_tx_get_num_par_lines(XvtTextEdit tx, int32_t paragraph);
int32_t xp_tx_get_num_chars(XvtTextEdit tx, int32_t paragraph, int32_t line);
// Copies the line with a NUL into the buffer, truncated to fit; the bytes copied before the NUL.
int32_t xp_tx_get_line(XvtTextEdit tx, int32_t paragraph, int32_t line, std::span<char> buffer);
// The widest line in pixels.
int32_t xp_tx_get_max_width(XvtTextEdit tx);
TxSelection xp_tx_get_sel(XvtTextEdit tx);
// Places outside the text are clamped into it; the caret goes to the end.
void xp_tx_set_sel(XvtTextEdit tx, const TxSelection& selection);
TxOrigin xp_tx_get_origin(XvtTextEdit tx);
int32_t xp_tx_get_view(XvtTextEdit tx); // whole lines that fit the height
IntRect xp_tx_get_rect(XvtTextEdit tx);
void xp_tx_move(XvtTextEdit tx, const IntRect& rect);
// By lines (positive: towards the end) and by pixels, kept within the text.
void xp_tx_scroll_vert(XvtTextEdit tx, int32_t lines);
void xp_tx_scroll_hor(XvtTextEdit tx, int32_t pixels);
void xp_tx_set_attr(XvtTextEdit tx, uint32_t attributes);
uint32_t xp_tx_get_attr(XvtTextEdit tx);
void xp_tx_set_limit(XvtTextEdit tx, int32_t limit);
int32_t xp_tx_get_limit(XvtTextEdit tx);
void xp_tx_set_margin(XvtTextEdit tx, int32_t margin);
// The object keeps a copy of the font's family, size and style.
void xp_tx_set_font(XvtTextEdit tx, XvtFont font);
void xp_tx_set_colors(XvtTextEdit tx, Color text, Color background, Color third);
// Leading + ascent + descent of the object's font.
int32_t xp_tx_get_line_height(XvtTextEdit tx);
void xp_tx_set_data(XvtTextEdit tx, long data);
long xp_tx_get_data(XvtTextEdit tx);
// Gives the object the keyboard focus; the caret shows there.
void xp_tx_set_active(XvtTextEdit tx);
void xp_tx_set_scroll_callback(XvtTextEdit tx, TxScrollCallback callback);
// Nested: drawing stops at the first suspend and the last resume repaints.
void xp_tx_suspend(XvtTextEdit tx);
void xp_tx_resume(XvtTextEdit tx);
// Character events (kind 10) by the key table and focus events (kind 2); other events (clicks
// included: the object takes those itself) and windows that are no text edits are ignored, and
// so are the keys of a disabled object.
void xp_tx_process_event(XvtWindow window, const XvtEvent& event);

// What a character code does in a text edit (the key table).
enum class TxKeyAction : uint8_t {
    insert,
    left,
    right,
    up,
    down,
    page_up,
    page_down,
    line_start,
    line_end,
    delete_forward,
    delete_backward,
    split_paragraph,
    nothing,
};
TxKeyAction xvt_tx_key_action(int32_t code);

// ---- Printing (printing.cpp, print_setup.cpp, print_output.cpp) --------------------------------
// Print windows (type 4) draw into page pictures at the printer's resolution. A finished
// document becomes a PDF file: sent to the printer named by QUILLET_PRINTER through `lp`, or
// without one kept in the directory QUILLET_PRINT_DIR (default: the current directory) as
// TITLE.pdf (TITLE-2.pdf, ... when taken). Errors are of category "print".

// The print-setup record, kept between calls.
struct XvtPrintSetup {
    std::string printer;          // empty: PDF files in the print directory
    std::string paper = "Letter"; // "Letter" (8.5 x 11 in) or "A4" (210 x 297 mm)
    int32_t resolution = 300;     // dots per inch of the page pictures
};

// The setup of the default printer: QUILLET_PRINTER's, Letter paper, 300 dots per inch.
XvtPrintSetup xp_print_default_setup();
// Runs the print-setup dialog on the record; false (record unchanged) when it is cancelled.
bool xp_print_setup(XvtPrintSetup& setup);
// The page's drawable size in pixels: the paper less twice the quarter-inch margin the printer
// cannot reach, at the setup's resolution.
IntSize xp_print_page_size(const XvtPrintSetup& setup);

// Starts a document with the title (null setup: the default printer) and shows the modeless
// cancel dialog "AbortDlg" (the title in its item 0x66; its window title the executable's base
// name). no_xvt_window, nothing left behind, when the document cannot be started (0x2000000A).
XvtWindow xp_print_create_win(const XvtPrintSetup* setup, std::string_view title);
// Begin and end one page (the page starts white). Both let the cancel dialog run first; once it
// was cancelled they abort the document (no output) and answer false.
bool xp_print_start_page(XvtWindow window);
bool xp_print_end_page(XvtWindow window);
// Ends the document (an open page ends first) and sends or keeps it, closes the cancel dialog
// and frees the window. False when the document was aborted or could not be written or sent.
bool xp_print_close_win(XvtWindow window);

// ---- Host access (device_access.cpp) -----------------------------------------------------------
// For the engine parts that work on the host directly (flood fills, pixel reads, picture copies,
// the text cursor).

class DeviceContext;

// Runs `work` on the host device context of a drawing window (its picture; a pixmap's own), with
// the window's tools, font, clip and pen position selected; what it draws is shown. False, and
// `work` not run, for a window that takes no drawing (0x20000001).
bool xvt_dwin_with_device(XvtWindow window, const std::function<void(DeviceContext&)>& work);

// The screen's bits per pixel (32 without a window system).
int xvt_scr_get_depth();

// The one caret of the host: made for the window's native window (width 0: the host's default
// of 1 pixel), hidden at first; placed in client coordinates; shown and hidden by count.
bool xvt_win_create_caret(XvtWindow window, IntSize size);
void xvt_win_destroy_caret();
bool xvt_win_set_caret_pos(IntPoint client_point);
void xvt_win_show_caret(bool visible);

// ---- Timers and waits (window_timers.cpp, timed_waits.cpp) -------------------------------------

// Periodic window timers: event 16 with the timer's identifier at each expiry. Windows of types
// 1, 2, 3, 7 and 8 (0x20000001 for others); an interval below 0 is 0x20000007. 0 after an error.
using XvtTimer = uint32_t;
XvtTimer xp_timer_create(XvtWindow window, int32_t interval_ms);
void xp_timer_destroy(XvtTimer timer); // a stale timer is 0x20000007

// Waits ms milliseconds (none when ms <= 0) while pumping host messages, sleeping between pumps.
void xvt_timed_wait(int64_t ms);

// How long a wait on a descriptor sleeps between pumps unless told otherwise: the descriptor
// wakes it at once, so this only bounds how late host messages are served.
inline constexpr std::chrono::microseconds xvt_descriptor_pump_interval{10000};

// One step of a wait that keeps the windows alive: pumps host messages, then sleeps until fd
// reports one of events (or an error or hang-up), at most longest. A negative fd just sleeps.
// Callers loop around it (and around their non-blocking attempt, for a descriptor).
void xvt_pump_then_wait(int fd, short events,
                        std::chrono::microseconds longest = xvt_descriptor_pump_interval);

// ---- Task window and accelerators (task_window.cpp, accelerators.cpp) --------------------------

// The task window: a hidden top-level window of type 1 titled with the configuration's task
// title, made by xvt_app_create; its events (other than the creation, which starts the program)
// go to the task event handler. A parent of no_xvt_window or the task window makes top-level
// windows. no_xvt_window before xvt_app_create.
XvtWindow xvt_task_window();

// The accelerator table of the pump: a key pressed with exactly these modifiers becomes the menu
// command `tag` of the top-level window it was typed in (event 13), and is not delivered as a
// key. Keys: upper-case letters, digits and other printable characters, and the layer's key codes
// (key_codes.def; F1 0x14B and F10 0x154 by the same rule). The table starts empty.
namespace xvt_accel_mod {
inline constexpr uint32_t shift = 0x1;
inline constexpr uint32_t control = 0x2;
inline constexpr uint32_t alt = 0x4;
} // namespace xvt_accel_mod
struct XvtAccelerator {
    int32_t key = 0;
    uint32_t modifiers = 0;
    int32_t tag = 0;
};
void xvt_app_set_accelerators(std::span<const XvtAccelerator> table);

// ---- Window operations (window_operations.cpp) -------------------------------------------------
// On every window and control of the layer that has a host window (0x20000001 for pixmaps and
// stale handles, category "vobj").

// A window's cursor: the host's cursor identifiers.
namespace xvt_cursor {
inline constexpr int32_t arrow = 0x7F00;
inline constexpr int32_t ibeam = 0x7F01;
inline constexpr int32_t wait = 0x7F02;
inline constexpr int32_t cross = 0x7F03;
} // namespace xvt_cursor

// The control with that id among the window's children; no_xvt_window (no error) when none.
XvtWindow xvt_win_get_ctl(XvtWindow window, int32_t control_id);
// The mouse goes to the window until released.
void xp_win_trap_pointer(XvtWindow window);
void xp_win_release_pointer();
// Shown while the mouse is over the window; a code that is no cursor is 0x20000007.
void xp_win_set_cursor(XvtWindow window, int32_t cursor);
int32_t xp_win_get_cursor(XvtWindow window); // 0 after an error

// The outer rectangle (frame included) in the parent's client coordinates or on the screen.
void xp_vobj_get_outer_rect(XvtWindow window, IntRect& rect);
// Copies the title with a NUL into the buffer, truncated to fit; the bytes copied before the NUL.
int32_t xp_vobj_get_title(XvtWindow window, std::span<char> buffer);
void xp_vobj_set_title(XvtWindow window, std::string_view title);
void xp_vobj_set_visible(XvtWindow window, bool visible);
// A disabled window or control takes no keys, clicks or focus and is drawn disabled (a text
// edit: grey text on the face colour).
void xp_vobj_set_enabled(XvtWindow window, bool enabled);
// Moves and sizes the window so that its client area is the rectangle (in the parent's client
// coordinates, or on the screen); a control's rectangle is its outer one.
void xp_vobj_move(XvtWindow window, const IntRect& client);
void xp_vobj_raise(XvtWindow window);
// The parent given at creation (no_xvt_window for top-level windows).
XvtWindow xp_vobj_get_parent(XvtWindow window);
// Selects the palette for the window's drawing (a copy; the palette may be destroyed after). On
// our true-colour screen it changes no pixel. A stale palette is 0x20000007.
void xp_vobj_set_palet(XvtWindow window, XvtPalette palette);
// The window's selected palette; empty when none was selected.
std::vector<Color> xvt_vobj_get_palet(XvtWindow window);
// Activates the window's top-level window and gives the window the keyboard focus.
void xp_scr_set_focus_vobj(XvtWindow window);

// ---- Rectangles (rectangles.cpp) ---------------------------------------------------------------
// A null rectangle is 0x20000007 (category "rect").

void xp_rect_set(IntRect* rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Whether the point lies inside: left <= x < right, top <= y < bottom.
bool xp_rect_has_point(const IntRect* rect, IntPoint point);

// ---- Directories (directories.cpp) -------------------------------------------------------------
// Directory records hold a host path. Null records are 0x20000007 (category "fsys").

struct XvtDir {
    std::string path;
};
void xp_fsys_get_dir(XvtDir* dir);         // the current directory
void xp_fsys_set_dir(const XvtDir* dir);   // a directory the host refuses is 0x2000000A
void xp_fsys_get_default_dir(XvtDir* dir); // the current directory when the process started
// Copies the path with a NUL; false (nothing copied) when the buffer is too small.
bool xp_fsys_convert_dir_to_str(const XvtDir* dir, std::span<char> buffer);
// False for an empty text.
bool xp_fsys_convert_str_to_dir(std::string_view text, XvtDir* dir);

// ---- Clipboard (clipboard.cpp) -----------------------------------------------------------------
// Text on the host's clipboard (Windows-1252 bytes, category "clip"); without a window system
// every operation is 0x20000009.

void xp_clip_put_text(std::string_view text); // replaces whatever the clipboard held
bool xp_clip_has_text();
std::string xp_clip_get_text(); // empty when there is none
int32_t xp_clip_get_text_length();
void xp_clip_clear();

} // namespace quillet
