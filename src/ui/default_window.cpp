// The default window: its start-up (record, native window, colour table, palette, system
// measures, fonts and drawing tools), its first showing, and its part in a program's end ("Press
// any key." and the wait, closing every window, the close box ending the program).
#include "ui/default_window.h"

#include "interp/fatal.h"
#include "interp/registers.h"
#include "ui/colours.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_classes.h"
#include "ui/window_after_draw.h"
#include "ui/window_event_handler.h"
#include "ui/window_table.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr int32_t font_points = 10;

constexpr std::string_view press_any_key = "Press any key.";

int32_t screen_attr(XvtWindow window, XvtScreenAttr attr) {
    return xp_vobj_get_attr(window, static_cast<int32_t>(attr));
}

void define_record(WindowRecord& record, IntSize screen) {
    record = WindowRecord{};
    record.native_window = no_xvt_window; // defined, not yet made
    record.rect = {40, 80, screen.width - 40, screen.height - 40};
    record.title = product_title;
    record.type = window_type::document;
    record.immune = true;
    record.flags = window_flag::resize_box | window_flag::close_box;
    record.state = WindowState::hidden;
}

int32_t max_colour_of(int32_t display_kind) {
    switch (display_kind) {
    case 0: return 1;
    case 1:
    case 2: return 15;
    case 3:
    case 4: return 255;
    case 5: {
        XvtPalette palette = xp_palet_create(2);
        int32_t size = palette ? xp_palet_size(palette) : 0;
        if (palette) xp_palet_destroy(palette);
        return size < 1 ? 256 : size - 1;
    }
    default: return 255;
    }
}

// The standard and named colours as the device shows them, marked with index + 16.
void snap_colours_to(XvtWindow device) {
    for (int i = 0; i < standard_colour_count; ++i)
        colours.standard[i] =
            snapped_colour(i, xp_dwin_get_nearest_color(device, standard_colours[i]));
    for (int i = 0; i < named_colour_count; ++i)
        colours.named[i] = snapped_colour(i, xp_dwin_get_nearest_color(device, colours.named[i]));
}

void build_colour_table(int32_t max_colour) {
    resize_colour_table(max_colour);
    if (max_colour < 2)
        colours.table[0] = 0xFFFFFF; // white, then 15 blacks
    else
        std::copy(colours.standard.begin(), colours.standard.end(), colours.table.begin());
    colours.table[static_cast<size_t>(max_colour)] = 0x000000;
    colours.table[static_cast<size_t>(max_colour - 1)] = 0xFFFFFF;
}

void read_system_measures(XvtWindow window) {
    int32_t static_text = screen_attr(window, XvtScreenAttr::static_text_height);
    int32_t edit = screen_attr(window, XvtScreenAttr::edit_height);
    system_measures.heights = {static_text, screen_attr(window, XvtScreenAttr::button_height), edit,
                               (edit - static_text) / 2};
}

// Sets the font on the window and its backing pixmap.
void set_font(const WindowRecord& record, XvtFont font) {
    for_each_drawable(record, [&](XvtWindow w) { xp_dwin_set_font(w, font); });
}

void set_up_fonts(WindowRecord& record) {
    XvtWindow window = record.native_window;
    XvtFont system = xp_font_create();
    xp_font_set_family(system, "system");
    xp_font_set_style(system, 0);
    xp_font_set_size(system, font_points);
    set_font(record, system);
    system_measures.char_unit = xp_dwin_get_text_width(window, "o", 1);
    system_measures.char_unit_2 = 2 * system_measures.char_unit;
    system_measures.char_unit_9 = 9 * system_measures.char_unit;

    TextMetrics& m = record.text_font;
    m.font = xp_font_create();
    xp_font_set_family(m.font, m.family);
    xp_font_set_style(m.font, m.font_style);
    xp_font_set_size(m.font, m.font_size);
    set_font(record, m.font);
    // The system font served its one measure; the window keeps the console font.
    xp_font_destroy(system);
    xp_dwin_get_font_metrics(window, &m.leading, &m.ascent, &m.descent);
    m.char_width = xp_dwin_get_text_width(window, "W", 1);
    m.line_height = m.ascent + m.descent + m.leading;
}

void set_up_tools(WindowRecord& record) {
    XvtWindow window = record.native_window;
    xp_dwin_set_std_cpen(window, 1);
    xp_dwin_set_std_cbrush(window, 0);
    DrawTools tools;
    xp_dwin_get_draw_ctools(window, tools);
    record.background_value = colour_value(record.background_colour);
    tools.background = record.background_value;
    tools.opaque_text = 1;
    for_each_drawable(record, [&](XvtWindow w) { xp_dwin_set_draw_ctools(w, tools); });
    record.pen = {.width = tools.pen_width,
                  .colour = -1,
                  .pattern = tools.pen_pattern,
                  .style = tools.pen_style};
    record.brush = {.colour = -1, .pattern = 1};
    record.foreground_colour = -1;
    record.background_colour = -2;
}

} // namespace

void create_default_window(int n) {
    if (n != default_window) fatal_stop("Internal error: Tried to open non-default window.");
    std::optional<IntSize> screen = xvt_screen_size();
    if (!screen) fatal_stop("Internal error: Can't create default window");
    WindowRecord& record = window_record(default_window);
    define_record(record, *screen);
    window_table.default_not_yet_shown = true;

    XvtWinDef def;
    def.type = record.type;
    def.client = record.rect;
    def.title = record.title;
    def.menu = nullptr; // an empty menu template: no menu bar
    def.flags = xvt_win_flag::resizable | xvt_win_flag::caption | xvt_win_flag::hidden;
    XvtWindow window = xp_win_create_def(def, no_xvt_window, window_event_handler, 0);
    if (window == no_xvt_window) fatal_stop("Internal error: Can't create default window");
    record.native_window = window;

    XvtWindow device = static_cast<XvtWindow>(screen_attr(window, XvtScreenAttr::device_context));
    int32_t max_colour = max_colour_of(screen_attr(window, XvtScreenAttr::display_kind));
    snap_colours_to(device);
    build_colour_table(max_colour);
    // Opening fonts is most of a start-up: a program that shows no text never pays for it. The
    // system measures come from the interface font, so they wait too.
    TextMetrics& m = record.text_font;
    m.family = "Courier New";
    m.font_style = 0;
    m.font_size = font_points;
    window_table.default_fonts_pending = true;
    set_up_tools(record);
}

void open_default_window_fonts() {
    if (!window_table.default_fonts_pending) return;
    window_table.default_fonts_pending = false;
    WindowRecord& record = window_record(default_window);
    if (!record.in_use() || record.native_window == no_xvt_window) return;
    read_system_measures(record.native_window);
    set_up_fonts(record);
}

void show_default_window() {
    if (window_table.current != default_window || !window_table.default_not_yet_shown) return;
    WindowRecord& record = window_record(default_window);
    if (!record.in_use() || record.native_window == no_xvt_window) return;
    xp_vobj_set_visible(record.native_window, true);
    process_host_messages();
    xp_vobj_raise(record.native_window);
    xvt_scr_set_focus_vobj(record.native_window);
    window_table.default_not_yet_shown = false;
    record.state = WindowState::shown;
}

void end_of_program_wait() {
    WindowRecord* record = find_window(window_table.current);
    if (!record || (record->native_window == no_xvt_window && !window_table.default_not_yet_shown))
        return;
    if (record->type == window_type::printing) return; // a page takes no keys
    int32_t saved_busy = vm.busy_mark;
    vm.busy_mark = 1;
    // Drawn before the window is shown, so that it is there from the window's first picture.
    int32_t y = record->pixel_height - 10;
    text_metrics(*record); // the default window's fonts, if its first text is this line
    for_each_drawable(*record, [&](XvtWindow w) {
        xp_dwin_draw_text(w, 1, y, press_any_key, static_cast<int32_t>(press_any_key.size()));
    });
    window_after_draw(window_table.current);
    show_default_window();
    // Until a key is queued, the window is closed (its destroy asks for the exit) or the session
    // ends (a headless run with no scripted key left).
    while (key_queue.key_count <= 0 && !window_table.exit_requested && xvt_wait_message()) {
    }
    vm.busy_mark = saved_busy;
}

void close_all_windows() {
    xvt_app_program_ending();
    bool saved = window_table.exit_on_default_destroy;
    window_table.exit_on_default_destroy = false;
    // The user windows go as FREE takes them: their controls first, then the native window,
    // whose destroy event frees the record. The library's routine for windows with channels is
    // not entered: the program has ended and no B-code runs any more. The default window goes
    // last.
    for (int n = window_table.highest; n > default_window; --n)
        if (find_window(n)) free_window(n);
    if (WindowRecord* record = find_window(default_window);
        record && record->native_window != no_xvt_window)
        xp_vobj_destroy(record->native_window);
    window_table.exit_on_default_destroy = saved;
    window_table.exit_requested = false;
    process_host_messages();
}

void act_on_exit_request() {
    if (!window_table.exit_requested) return;
    window_table.exit_requested = false;
    program_exit();
}

} // namespace quillet
