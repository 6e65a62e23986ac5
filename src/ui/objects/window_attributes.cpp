#include "ui/objects/window_attributes.h"

#include "ui/colours.h"
#include "ui/font_attributes.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/font_styles.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_table.h"
#include "ui/objects/scroll_bar_rules.h"
#include "ui/objects/window_routines.h"
#include "ui/objects/window_tools.h"
#include "values/errors.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace quillet {
namespace {

using namespace window_attr;

struct FlagAttribute {
    int32_t attribute;
    uint32_t flag;
    bool before_show_only;
};
constexpr FlagAttribute flag_attributes[] = {
    {close_box, window_flag::close_box, true},
    {resize_box, window_flag::resize_box, true},
    {visible, window_flag::visible_at_show, true},
    {iconizable, window_flag::iconizable, true},
    {vscroll, window_flag::vertical_scroll_bar, true},
    {hscroll, window_flag::horizontal_scroll_bar, true},
    {solid_mix, window_flag::solid_mix, false},
    {no_hide, window_flag::no_hide, false},
    {mouse_move, window_flag::mouse_move_events, false},
    {plot_text_opaque, window_flag::plot_text_opaque, false},
};

const FlagAttribute* flag_attribute(int32_t attribute) {
    for (const FlagAttribute& f : flag_attributes)
        if (f.attribute == attribute) return &f;
    return nullptr;
}

// The scroll bar setting an attribute names, and its direction.
std::optional<ScrollSetting> window_scroll_setting(int32_t attribute, bool& vertical) {
    vertical = true;
    switch (attribute) {
    case single_vertical: return ScrollSetting::single_increment;
    case page_vertical: return ScrollSetting::page_increment;
    case position_vertical: return ScrollSetting::position;
    case start_range_vertical: return ScrollSetting::range_start;
    case end_range_vertical: return ScrollSetting::range_end;
    case proportion_vertical: return ScrollSetting::proportion;
    default: break;
    }
    vertical = false;
    switch (attribute) {
    case single_horizontal: return ScrollSetting::single_increment;
    case page_horizontal: return ScrollSetting::page_increment;
    case position_horizontal: return ScrollSetting::position;
    case start_range_horizontal: return ScrollSetting::range_start;
    case end_range_horizontal: return ScrollSetting::range_end;
    case proportion_horizontal: return ScrollSetting::proportion;
    default: return std::nullopt;
    }
}

ScrollBarSettings& scroll_bar_of(WindowRecord& r, bool vertical) {
    return vertical ? r.vertical_scroll : r.horizontal_scroll;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Rectangle values: left, right, bottom, top, inclusive; stored with right and bottom exclusive
// and the pairs in order.
void set_rectangle(WindowRecord& r, ObjectRequest& request) {
    request.need_numbers(4);
    int64_t left = request.next_int(), right = request.next_int();
    int64_t bottom = request.next_int(), top = request.next_int();
    right += 1;
    bottom += 1;
    if (left == right || top == bottom) raise_error(object_error::empty_rectangle);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    r.rect = narrow_rect(left, top, right, bottom);
    if (window_is_made(r)) xp_vobj_move(r.native_window, r.rect);
}

void get_rectangle(WindowRecord& r, ObjectRequest& request) {
    if (window_is_made(r)) {
        // The client area sits inside the outer rectangle with frames of equal width on the
        // left, right and bottom sides.
        IntRect outer;
        xp_vobj_get_outer_rect(r.native_window, outer);
        IntSize size = xvt_vobj_get_client_size(r.native_window);
        int32_t frame = (outer.right - outer.left - size.width) / 2;
        r.rect.left = outer.left + frame;
        r.rect.right = r.rect.left + size.width;
        r.rect.bottom = outer.bottom - frame;
        r.rect.top = r.rect.bottom - size.height;
        request.append_int(r.rect.left);
        request.append_int(r.rect.right - 1);
        request.append_int(r.rect.bottom - 1);
        request.append_int(r.rect.top);
        return;
    }
    request.append_int(r.rect.left);
    request.append_int(r.rect.right);
    request.append_int(r.rect.bottom);
    request.append_int(r.rect.top);
}

// Fractions of the drawing area, read as doubles: left, right, bottom, top.
void set_screen(WindowRecord& r, ObjectRequest& request) {
    request.need_numbers(4);
    double left = request.next_double(), right = request.next_double();
    double bottom = request.next_double(), top = request.next_double();
    double w = r.pixel_width - 1.0, h = r.pixel_height - 1.0;
    r.screen_rect.left = round_saturated(left * w);
    r.screen_rect.right = round_saturated(right * w);
    r.screen_rect.bottom = round_saturated(r.pixel_height - std::round(bottom * h));
    r.screen_rect.top = round_saturated(r.pixel_height - std::round(top * h));
}

void set_cursor(WindowRecord& r, std::string_view text) {
    if (!window_is_made(r)) return;
    std::string name = lower(text);
    uint16_t code;
    if (name == "arrow")
        code = xvt_cursor::arrow;
    else if (name == "ibeam")
        code = xvt_cursor::ibeam;
    else if (name == "cross" || name == "plus")
        code = xvt_cursor::cross;
    else if (name == "wait")
        code = xvt_cursor::wait;
    else
        return; // "user" and other texts leave the cursor
    r.cursor_code = code;
    xp_win_set_cursor(r.native_window, code);
}

std::string cursor_name(uint16_t code) {
    switch (code) {
    case xvt_cursor::arrow: return "ARROW";
    case xvt_cursor::ibeam: return "IBEAM";
    case xvt_cursor::cross: return "CROSS";
    case xvt_cursor::wait: return "WAIT";
    default: return "USER";
    }
}

void set_focus_order(WindowRecord& r, ObjectRequest& request) {
    request.need_numbers(2);
    int32_t id = request.next_int();
    int32_t index = request.next_int();
    auto at = std::find(r.objects.begin(), r.objects.end(), id);
    if (at == r.objects.end()) return;
    size_t from = static_cast<size_t>(at - r.objects.begin());
    size_t to = static_cast<size_t>(std::clamp<int64_t>(index, 0, int64_t(r.objects.size()) - 1));
    if (from == to) return;
    r.objects.erase(at);
    r.objects.insert(r.objects.begin() + static_cast<std::ptrdiff_t>(to), id);
}

void set_background(int n, WindowRecord& r, int32_t colour) {
    r.background_colour = colour;
    r.background_value = colour_value(colour);
    window_target(r).each([&](XvtWindow w) { xp_dwin_set_back_color(w, r.background_value); });
    if (n == window_table.saved_current) set_colour_entry(0, r.background_value);
}

void set_immune(WindowRecord& r, int32_t value) {
    r.immune = value != 0;
    if (!r.immune || !window_is_made(r) || r.backing_pixmap != no_xvt_window) return;
    std::optional<IntSize> screen = xvt_screen_size();
    if (!screen) return;
    r.backing_pixmap =
        xp_pmap_create(r.native_window, 8, std::max(screen->width, 1), std::max(screen->height, 1));
    if (r.backing_pixmap == no_xvt_window) return;
    xp_dwin_clear(r.backing_pixmap, r.background_value);
    xp_dwin_set_font(r.backing_pixmap, text_metrics(r).font);
    apply_window_tools(r);
}

void set_one(int n, WindowRecord& r, int32_t a, ObjectRequest& request) {
    bool made = window_is_made(r);
    if (const FlagAttribute* f = flag_attribute(a)) {
        bool on = request.next_int() != 0;
        if (f->before_show_only && made) return;
        r.flags = on ? (r.flags | f->flag) : (r.flags & ~f->flag);
        if (f->flag == window_flag::plot_text_opaque) apply_window_tools(r);
        return;
    }
    bool vertical;
    if (std::optional<ScrollSetting> setting = window_scroll_setting(a, vertical)) {
        int32_t value = request.next_int();
        if (!has_scroll_bar(r, vertical)) return;
        store_scroll_setting(scroll_bar_of(r, vertical), *setting, value);
        apply_scroll_bar(r, vertical);
        return;
    }
    switch (a) {
    case id: return;
    case name: r.name = request.next_string(); return;
    case rectangle: set_rectangle(r, request); return;
    case title:
        r.title = request.next_string();
        if (made)
            xp_vobj_set_title(r.native_window,
                              r.title.empty() ? std::string_view(" ") : std::string_view(r.title));
        return;
    case width: r.pen.width = narrow16(request.next_int()); break;
    case pen_color: r.pen.colour = request.next_int(); break;
    case pen_style: r.pen.style = request.next_int(); break;
    case pen_pattern: r.pen.pattern = request.next_int(); break;
    case brush_color: r.brush.colour = request.next_int(); break;
    case brush_pattern: r.brush.pattern = request.next_int(); break;
    case drawmode: r.draw_mode = request.next_int(); break;
    case foreground_color:
        r.foreground_colour = request.next_int();
        request.enter_after(n, window_routine::window_changed);
        break;
    case background_color:
        set_background(n, r, request.next_int());
        request.enter_after(n, window_routine::window_changed);
        return;
    case immune: set_immune(r, request.next_int()); return;
    case type: {
        int32_t t = request.next_int();
        if (t != window_type::document && t != window_type::plain &&
            t != window_type::double_bordered && t != window_type::child)
            raise_error(object_error::unknown_window_type);
        if (!made) r.type = t;
        return;
    }
    case user_rectangle: {
        request.need_numbers(4);
        r.user_rect.left = request.next_double();
        r.user_rect.right = request.next_double();
        r.user_rect.bottom = request.next_double();
        r.user_rect.top = request.next_double();
        return;
    }
    case screen: set_screen(r, request); return;
    case cursor: set_cursor(r, request.next_string()); return;
    case focus_order: set_focus_order(r, request); return;
    case font_name:
    case font_style:
    case font_size:
        if (set_font_attribute(text_metrics(r), a, request) && made) {
            apply_window_font(r);
            request.enter_after(n, window_routine::window_changed);
        }
        return;
    case textedit: {
        int32_t value = request.next_int();
        if (has_scroll_bar(r, true)) r.vertical_scroll.attached_text_edit = value;
        if (has_scroll_bar(r, false)) r.horizontal_scroll.attached_text_edit = value;
        return;
    }
    case parent: r.parent = request.next_int(); return;
    default: raise_error(object_error::attribute_not_used); // font metrics, help, unlisted
    }
    apply_window_tools(r); // the pen, brush, mode and colour attributes
}

void font_metrics_of(const WindowRecord& r, ObjectRequest& request) {
    int32_t leading = text_metrics(r).leading, ascent = text_metrics(r).ascent,
            descent = text_metrics(r).descent;
    int32_t w = text_metrics(r).char_width;
    XvtWindow measured = window_target(r).source();
    if (measured != no_xvt_window) {
        xp_dwin_get_font_metrics(measured, &leading, &ascent, &descent);
        w = xp_dwin_get_text_width(measured, "W", 1);
    }
    for (int32_t v : {leading, ascent, descent, w, leading + ascent + descent, 1})
        request.append_int(v);
}

void get_one(WindowRecord& r, int32_t a, ObjectRequest& request) {
    if (const FlagAttribute* f = flag_attribute(a)) {
        if (f->flag == window_flag::visible_at_show)
            request.append_int(r.state == WindowState::shown ? 1 : 0);
        else
            request.append_int((r.flags & f->flag) ? 1 : 0);
        return;
    }
    bool vertical;
    if (std::optional<ScrollSetting> setting = window_scroll_setting(a, vertical)) {
        if (has_scroll_bar(r, vertical))
            request.append_int(scroll_setting(scroll_bar_of(r, vertical), *setting));
        return;
    }
    switch (a) {
    case id: request.append_int(static_cast<int32_t>(r.native_window)); return;
    case name: request.append_string(r.name); return;
    case rectangle: get_rectangle(r, request); return;
    case title: request.append_string(r.title); return;
    case width: request.append_int(r.pen.width); return;
    case pen_color: request.append_int(r.pen.colour); return;
    case pen_style: request.append_int(r.pen.style); return;
    case pen_pattern: request.append_int(r.pen.pattern); return;
    case brush_color: request.append_int(r.brush.colour); return;
    case brush_pattern: request.append_int(r.brush.pattern); return;
    case drawmode: request.append_int(r.draw_mode); return;
    case foreground_color: request.append_int(r.foreground_colour); return;
    case background_color: request.append_int(r.background_colour); return;
    case immune: request.append_int(r.immune ? 1 : 0); return;
    case type: request.append_int(r.type); return;
    case user_rectangle:
        for (double v : {r.user_rect.left, r.user_rect.right, r.user_rect.bottom, r.user_rect.top})
            request.append_double(v);
        return;
    case screen:
        for (int32_t v :
             {r.screen_rect.left, r.screen_rect.right, r.screen_rect.bottom, r.screen_rect.top})
            request.append_int(v);
        return;
    case cursor: request.append_string(cursor_name(r.cursor_code)); return;
    case focus_order:
        request.append_int(static_cast<int32_t>(r.objects.size()));
        for (int32_t object : r.objects)
            request.append_int(object);
        return;
    case font_name: request.append_string(text_metrics(r).family); return;
    case font_style:
        request.append_string(font_style_words(text_metrics(r).font_style));
        request.append_int(static_cast<int32_t>(text_metrics(r).font_style));
        return;
    case font_size: request.append_int(text_metrics(r).font_size); return;
    case font_metrics: font_metrics_of(r, request); return;
    case textedit:
        if (has_scroll_bar(r, true))
            request.append_int(r.vertical_scroll.attached_text_edit);
        else if (has_scroll_bar(r, false))
            request.append_int(r.horizontal_scroll.attached_text_edit);
        else
            request.append_int(-1);
        return;
    case parent: request.append_int(r.parent); return;
    default: raise_error(object_error::attribute_not_used);
    }
}

} // namespace

int32_t round_saturated(double v) {
    if (std::isnan(v)) return 0;
    double r = std::round(v);
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(r);
}

void set_window_attributes(int n, ObjectRequest& request) {
    for (const std::string& name : request.names()) {
        int32_t a = lookup_attribute(AttributeClass::window, name);
        set_one(n, window_entry(n), a, request);
    }
}

void get_window_attributes(int n, ObjectRequest& request) {
    for (const std::string& name : request.names()) {
        int32_t a = lookup_attribute(AttributeClass::window, name);
        get_one(window_entry(n), a, request);
    }
}

} // namespace quillet
