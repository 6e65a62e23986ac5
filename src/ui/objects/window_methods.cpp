// The window class: CREATE, SET and GET, SHOW, HIDE, FREE, SELECT and the numbered window
// methods (redraw, palette, scroll, quit answers, end of a routine call); system information,
// printing and menus are their own parts' calls.
#include "interp/registers.h"
#include "ui/colours.h"
#include "ui/events/event_queue.h"
#include "ui/menus/menu_tree.h"
#include "ui/objects/object_classes.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/objects/user_units.h"
#include "ui/objects/window_attributes.h"
#include "ui/objects/window_routines.h"
#include "ui/objects/window_tools.h"
#include "ui/printing_windows.h"
#include "ui/system_info.h"
#include "ui/window_after_draw.h"
#include "ui/window_event_handler.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr const char* created_window_title = "No Title Supplied";

void define_window(WindowRecord& r) {
    r = WindowRecord{};
    r.native_window = no_xvt_window; // defined, not yet made
    std::optional<IntSize> screen = xvt_screen_size();
    IntSize size = screen.value_or(IntSize{640, 480});
    r.rect = {40, 80, std::max(size.width - 40, 41), std::max(size.height - 40, 81)};
    r.title = created_window_title;
    r.type = window_type::document;
    r.background_value = colour_value(r.background_colour);
    r.text_font.family = "Courier New";
    r.text_font.font_size = 10;
}

uint32_t native_flags(const WindowRecord& r) {
    uint32_t flags = 0;
    if (r.flags & window_flag::resize_box) flags |= xvt_win_flag::resizable;
    if (r.flags & window_flag::close_box) flags |= xvt_win_flag::caption;
    if (r.flags & window_flag::vertical_scroll_bar) flags |= xvt_win_flag::vscroll;
    if (r.flags & window_flag::horizontal_scroll_bar) flags |= xvt_win_flag::hscroll;
    if (r.flags & window_flag::iconizable) flags |= xvt_win_flag::minimize_box;
    if (!(r.flags & window_flag::visible_at_show)) flags |= xvt_win_flag::hidden;
    return flags;
}

// The native parent of a window about to be made; -11239 when a named parent is gone.
XvtWindow native_parent(const WindowRecord& r) {
    if (r.type != window_type::plain && r.type != window_type::child) return no_xvt_window;
    if (r.parent >= 0) {
        const WindowRecord* parent = find_window(r.parent);
        if (!parent || parent->native_window == no_xvt_window)
            raise_error(object_error::cannot_show_window);
        return parent->native_window;
    }
    if (r.type == window_type::plain) return no_xvt_window;
    return window_record(default_window).native_window;
}

void make_native_window(int n, WindowRecord& r) {
    XvtWinDef def;
    def.type = r.type;
    def.client = r.rect;
    def.title = r.title.empty() ? std::string_view(" ") : std::string_view(r.title);
    def.menu = menu_bar_template(n);
    def.flags = native_flags(r);
    XvtWindow native = xp_win_create_def(def, native_parent(r), window_event_handler, n);
    if (native == no_xvt_window || !find_window(n)) raise_error(object_error::cannot_show_window);
    r.native_window = native;
    r.state = (r.flags & window_flag::visible_at_show) ? WindowState::shown : WindowState::hidden;
    menu_bar_made_with_window(n);
    apply_scroll_bar(r, true);
    apply_scroll_bar(r, false);
    apply_window_font(r);
    apply_window_tools(r);
    window_target(r).each([&](XvtWindow w) { xp_dwin_set_back_color(w, r.background_value); });
    // A window shown by a routine run on behalf of another window becomes current when the
    // routine ends (method 99).
    if (window_table.routine_depth > 0)
        window_table.saved_current = n;
    else
        window_table.current = n;
    process_host_messages();
    if (WindowRecord* still = find_window(n))
        window_target(*still).each([&](XvtWindow w) { xp_dwin_clear(w, still->background_value); });
}

void show_window(int n) {
    WindowRecord& r = window_entry(n);
    if (r.state == WindowState::shown) return;
    if (window_is_made(r)) {
        xp_vobj_set_visible(r.native_window, true);
        r.state = WindowState::shown;
        if (n == default_window) window_table.default_not_yet_shown = false;
        process_host_messages();
        return;
    }
    make_native_window(n, r);
}

void hide_window(int n) {
    WindowRecord& r = window_entry(n);
    if (!window_is_made(r) || r.type == window_type::printing) return; // a page shows nothing
    xp_win_release_pointer();
    r.state = WindowState::hidden;
    xp_vobj_set_visible(r.native_window, false);
}

void select_window(int n, ObjectRequest& request) {
    WindowRecord& r = window_entry(n);
    int32_t bits = request.numbers().empty() ? 0 : request.next_int();
    if (!window_is_made(r)) raise_error(object_error::select_unshown);
    if ((bits & 0x2) && r.type != window_type::printing) {
        if (n != default_window && r.state != WindowState::shown)
            raise_error(object_error::select_unshown);
        xp_vobj_raise(r.native_window);
        xp_scr_set_focus_vobj(r.native_window);
        process_host_messages();
    }
    if ((bits & 0x1) && find_window(n)) window_table.current = n;
}

// A pixel rectangle (first number 0) or one in user coordinates: left, top, right, bottom.
IntRect rectangle_value(const WindowRecord& r, ObjectRequest& request) {
    request.need_numbers(5);
    if (request.next_int() == 0) {
        int64_t left = request.next_int(), top = request.next_int();
        int64_t right = request.next_int(), bottom = request.next_int();
        return narrow_rect(left, top, right, bottom);
    }
    double left = request.next_double(), top = request.next_double();
    double right = request.next_double(), bottom = request.next_double();
    IntPoint a = user_to_pixel(r, left, top);
    IntPoint b = user_to_pixel(r, right, bottom);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void redraw_rectangle(int n, ObjectRequest& request) {
    WindowRecord& r = window_entry(n);
    IntRect area = rectangle_value(r, request);
    DrawingTarget target = window_target(r);
    std::vector<std::pair<XvtWindow, IntRect>> saved;
    target.each([&](XvtWindow w) {
        IntRect clip;
        xp_dwin_get_clip(w, clip);
        saved.emplace_back(w, clip);
        xp_dwin_set_clip(w, &area);
    });
    window_after_update(n, area);
    if (!find_window(n)) return;
    for (auto& [w, clip] : saved)
        xp_dwin_set_clip(w, &clip);
}

void scroll_rectangle(int n, ObjectRequest& request) {
    WindowRecord& r = window_entry(n);
    request.need_numbers(7);
    IntRect area;
    int32_t dx, dy;
    if (request.next_int() == 0) {
        int64_t left = request.next_int(), top = request.next_int();
        int64_t right = request.next_int(), bottom = request.next_int();
        area = narrow_rect(left, top, right, bottom);
        dx = narrow16(request.next_int());
        dy = narrow16(request.next_int());
    } else {
        double left = request.next_double(), top = request.next_double();
        double right = request.next_double(), bottom = request.next_double();
        IntPoint a = user_to_pixel(r, left, top), b = user_to_pixel(r, right, bottom);
        area = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        dx = user_distance_x(r, request.next_double());
        dy = user_distance_y(r, request.next_double());
    }
    if (!window_is_made(r) || area.is_empty()) return;
    xp_dwin_scroll_rect(r.native_window, area, dx, -dy);
}

} // namespace

bool free_window(int n) {
    WindowRecord& r = window_entry(n);
    // Controls first, in the window's object list (FREE takes each out of it), then those never
    // made on screen, which the list does not hold: none outlives its window.
    std::vector<int32_t> objects = r.objects;
    for (size_t i = 0; i < object_tables.objects.size(); ++i) {
        const ObjectEntry& entry = object_tables.objects[i];
        if (entry.in_use() && entry.kind == object_kind::control && entry.window == n &&
            std::find(objects.begin(), objects.end(), entry.id) == objects.end())
            objects.push_back(entry.id);
    }
    for (int32_t id : objects)
        if (ObjectEntry* entry = find_object(id);
            entry && entry->kind == object_kind::control && entry->window == n)
            free_object(*entry);
    if (n == default_window) {
        hide_window(n);
        return false;
    }
    WindowRecord& record = window_record(n);
    bool close_channels = vm.fp() != 0 && !record.channels.empty();
    if (!record.in_use()) return false;
    if (record.type == window_type::printing) {
        end_printing_window(n);
        return false;
    }
    if (record.native_window == no_xvt_window) {
        // Never made: no destroy event will come, so the slot and the menus are freed here.
        remove_menu_bar(n, true);
        record = WindowRecord{};
    } else {
        xp_vobj_destroy(record.native_window);
    }
    if (window_table.current == n) window_table.current = default_window;
    return close_channels;
}

void create_window(ObjectRequest& request) {
    int n = allocate_window_number();
    if (n < 0) raise_error(object_error::id_out_of_range);
    define_window(window_record(n));
    request.set_new_id(n);
    if (request.has_names()) set_window_attributes(n, request);
}

void window_method(int32_t n, ObjectRequest& request) {
    using namespace object_method;
    switch (request.method()) {
    case copy:
    case nothing: return;
    case set: set_window_attributes(n, request); return;
    case get: get_window_attributes(n, request); return;
    case show: show_window(n); return;
    case hide: hide_window(n); return;
    case free:
        if (free_window(n)) request.enter_after(n, window_routine::window_freed);
        return;
    case select: select_window(n, request); return;
    case redraw: redraw_rectangle(n, request); return;
    case sys_info: answer_system_info(n, request); return;
    case print:
    case page_setup:
    case print_start_page:
    case print_end_page: print_method(n, request); return;
    case load_palette:
        // The window keeps the layer's colours: only its number is checked.
        window_entry(n);
        return;
    case scroll: scroll_rectangle(n, request); return;
    case quit_allow:
    case quit_refuse: answer_quit_request(request.method() == quit_allow); return;
    case end_routine_call: finish_window_routine(); return;
    default: break;
    }
    raise_error(object_error::unknown_window_method);
}

} // namespace quillet
