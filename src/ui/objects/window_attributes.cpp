#include "ui/objects/window_attributes.h"

#include "ui/colours.h"
#include "ui/font_attributes.h"
#include "ui/objects/attribute_rules.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_table.h"
#include "ui/objects/scroll_bar_rules.h"
#include "ui/objects/window_routines.h"
#include "ui/objects/window_tools.h"
#include "values/errors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace quillet {
namespace {

// What a window's rules act on: its number (for the routines entered after a call) and record.
struct WindowTarget {
    int n;
    WindowRecord& r;
    WindowRecord& fields() { return r; }
    TextMetrics& metrics() { return text_metrics(r); }
    bool made() const { return window_is_made(r); }
};

ScrollBarSettings& scroll_bar_of(WindowRecord& r, bool vertical) {
    return vertical ? r.vertical_scroll : r.horizontal_scroll;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The actions after a set.
enum WindowAfter : uint8_t {
    then_tools = 1,         // put the pen, brush, mode and colours onto the window's tools
    then_title,             // a made window shows its title at once
    then_tools_and_changed, // and the window-changed routine is entered after the call
    then_background,        // the background colour's value, the window's back colour
    then_font,              // a made window takes its font again
};

bool ignore_set(WindowTarget&, int32_t, ObjectRequest&) {
    return false;
}

void get_id(WindowTarget& t, int32_t, ObjectRequest& request) {
    request.append_int(static_cast<int32_t>(t.r.native_window));
}

// Rectangle values: left, right, bottom, top, inclusive; stored with right and bottom exclusive
// and the pairs in order.
bool set_rectangle(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
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
    return false;
}

void get_rectangle(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
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

// A window flag that only counts before the window's first SHOW: afterwards the value is taken
// and left.
template <uint32_t Bit>
bool set_flag_before_show(WindowTarget& t, int32_t, ObjectRequest& request) {
    const bool on = request.next_int() != 0;
    if (t.made()) return false;
    uint32_t& flags = t.r.flags;
    flags = on ? (flags | Bit) : (flags & ~Bit);
    return true;
}

void get_shown(WindowTarget& t, int32_t, ObjectRequest& request) {
    request.append_int(t.r.state == WindowState::shown ? 1 : 0);
}

// A setting of the vertical or horizontal scroll bar, for a window that has that bar.
template <ScrollSetting Setting, bool Vertical>
bool set_scroll(WindowTarget& t, int32_t, ObjectRequest& request) {
    const int32_t value = request.next_int();
    if (!has_scroll_bar(t.r, Vertical)) return false;
    store_scroll_setting(scroll_bar_of(t.r, Vertical), Setting, value);
    apply_scroll_bar(t.r, Vertical);
    return false;
}
template <ScrollSetting Setting, bool Vertical>
void get_scroll(WindowTarget& t, int32_t, ObjectRequest& request) {
    if (has_scroll_bar(t.r, Vertical))
        request.append_int(scroll_setting(scroll_bar_of(t.r, Vertical), Setting));
}

bool set_immune(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
    r.immune = request.next_int() != 0;
    if (!r.immune || !window_is_made(r) || r.backing_pixmap != no_xvt_window) return false;
    std::optional<IntSize> screen = xvt_screen_size();
    if (!screen) return false;
    r.backing_pixmap =
        xp_pmap_create(r.native_window, 8, std::max(screen->width, 1), std::max(screen->height, 1));
    if (r.backing_pixmap == no_xvt_window) return false;
    xp_dwin_clear(r.backing_pixmap, r.background_value);
    xp_dwin_set_font(r.backing_pixmap, text_metrics(r).font);
    apply_window_tools(r);
    return false;
}

void get_immune(WindowTarget& t, int32_t, ObjectRequest& request) {
    request.append_int(t.r.immune ? 1 : 0);
}

// One of the four window types; it counts only before the window is made.
bool set_type(WindowTarget& t, int32_t, ObjectRequest& request) {
    const int32_t type = request.next_int();
    if (type != window_type::document && type != window_type::plain &&
        type != window_type::double_bordered && type != window_type::child)
        raise_error(object_error::unknown_window_type);
    if (!t.made()) t.r.type = type;
    return false;
}

bool set_user_rectangle(WindowTarget& t, int32_t, ObjectRequest& request) {
    UserRect& u = t.r.user_rect;
    request.need_numbers(4);
    u.left = request.next_double();
    u.right = request.next_double();
    u.bottom = request.next_double();
    u.top = request.next_double();
    return false;
}

void get_user_rectangle(WindowTarget& t, int32_t, ObjectRequest& request) {
    const UserRect& u = t.r.user_rect;
    for (double v : {u.left, u.right, u.bottom, u.top})
        request.append_double(v);
}

// Fractions of the drawing area, read as doubles: left, right, bottom, top.
bool set_screen(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
    request.need_numbers(4);
    double left = request.next_double(), right = request.next_double();
    double bottom = request.next_double(), top = request.next_double();
    double w = r.pixel_width - 1.0, h = r.pixel_height - 1.0;
    r.screen_rect.left = round_saturated(left * w);
    r.screen_rect.right = round_saturated(right * w);
    r.screen_rect.bottom = round_saturated(r.pixel_height - std::round(bottom * h));
    r.screen_rect.top = round_saturated(r.pixel_height - std::round(top * h));
    return false;
}

void get_screen(WindowTarget& t, int32_t, ObjectRequest& request) {
    const IntRect& s = t.r.screen_rect;
    for (int32_t v : {s.left, s.right, s.bottom, s.top})
        request.append_int(v);
}

bool set_cursor(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
    const std::string& text = request.next_string();
    if (!window_is_made(r)) return false;
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
        return false; // "user" and other texts leave the cursor
    r.cursor_code = code;
    xp_win_set_cursor(r.native_window, code);
    return false;
}

void get_cursor(WindowTarget& t, int32_t, ObjectRequest& request) {
    switch (t.r.cursor_code) {
    case xvt_cursor::arrow: request.append_string("ARROW"); return;
    case xvt_cursor::ibeam: request.append_string("IBEAM"); return;
    case xvt_cursor::cross: request.append_string("CROSS"); return;
    case xvt_cursor::wait: request.append_string("WAIT"); return;
    default: request.append_string("USER"); return;
    }
}

// An object ID and its new index in the window's object list.
bool set_focus_order(WindowTarget& t, int32_t, ObjectRequest& request) {
    std::vector<int32_t>& objects = t.r.objects;
    request.need_numbers(2);
    int32_t id = request.next_int();
    int32_t index = request.next_int();
    auto at = std::find(objects.begin(), objects.end(), id);
    if (at == objects.end()) return false;
    size_t from = static_cast<size_t>(at - objects.begin());
    size_t to = static_cast<size_t>(std::clamp<int64_t>(index, 0, int64_t(objects.size()) - 1));
    if (from == to) return false;
    objects.erase(at);
    objects.insert(objects.begin() + static_cast<std::ptrdiff_t>(to), id);
    return false;
}

void get_focus_order(WindowTarget& t, int32_t, ObjectRequest& request) {
    request.append_int(static_cast<int32_t>(t.r.objects.size()));
    for (int32_t object : t.r.objects)
        request.append_int(object);
}

// Measured on what the window draws on, once it is made; the stored measures before.
void get_font_metrics(WindowTarget& t, int32_t, ObjectRequest& request) {
    const TextMetrics& m = text_metrics(t.r);
    int32_t leading = m.leading, ascent = m.ascent, descent = m.descent, width = m.char_width;
    XvtWindow measured = window_target(t.r).source();
    if (measured != no_xvt_window) {
        xp_dwin_get_font_metrics(measured, &leading, &ascent, &descent);
        width = xp_dwin_get_text_width(measured, "W", 1);
    }
    append_font_metrics(request, leading, ascent, descent, width);
}

// The text edit that the window's scroll bars serve.
bool set_textedit(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
    const int32_t value = request.next_int();
    if (has_scroll_bar(r, true)) r.vertical_scroll.attached_text_edit = value;
    if (has_scroll_bar(r, false)) r.horizontal_scroll.attached_text_edit = value;
    return false;
}

void get_textedit(WindowTarget& t, int32_t, ObjectRequest& request) {
    WindowRecord& r = t.r;
    if (has_scroll_bar(r, true))
        request.append_int(r.vertical_scroll.attached_text_edit);
    else if (has_scroll_bar(r, false))
        request.append_int(r.horizontal_scroll.attached_text_edit);
    else
        request.append_int(-1);
}

// The window's rule makers beside the shared ones.
struct WindowRules : AttributeRules<WindowTarget> {
    template <uint32_t Bit>
    static constexpr Rule any_time() {
        return flag<Bit, &WindowRecord::flags>();
    }
    template <uint32_t Bit>
    static constexpr Rule before_show() {
        return any_time<Bit>().set_by(set_flag_before_show<Bit>);
    }
    template <ScrollSetting Setting>
    static constexpr Rule vertical() {
        return own(set_scroll<Setting, true>, get_scroll<Setting, true>);
    }
    template <ScrollSetting Setting>
    static constexpr Rule horizontal() {
        return own(set_scroll<Setting, false>, get_scroll<Setting, false>);
    }

    static constexpr auto rows() {
        return std::to_array<Row>({
#define X(number, id, name, ...) row(number, __VA_ARGS__),
#include "ui/objects/window_attributes.def"
#undef X
        });
    }
};

constexpr auto window_rows = WindowRules::rows();

const AttributeRule<WindowTarget>& window_rule(int32_t number) {
    const AttributeRule<WindowTarget>* rule = find_rule<WindowTarget>(window_rows, number);
    if (!rule) raise_error(object_error::attribute_not_used);
    return *rule;
}

void after_set(WindowTarget& t, uint8_t action, ObjectRequest& request) {
    WindowRecord& r = t.r;
    switch (action) {
    case then_tools: apply_window_tools(r); return;
    case then_title:
        if (t.made())
            xp_vobj_set_title(r.native_window,
                              r.title.empty() ? std::string_view(" ") : std::string_view(r.title));
        return;
    case then_tools_and_changed:
        request.enter_after(t.n, window_routine::window_changed);
        apply_window_tools(r);
        return;
    case then_background:
        r.background_value = colour_value(r.background_colour);
        window_target(r).each([&](XvtWindow w) { xp_dwin_set_back_color(w, r.background_value); });
        if (t.n == window_table.saved_current) set_colour_entry(0, r.background_value);
        request.enter_after(t.n, window_routine::window_changed);
        return;
    case then_font:
        if (!t.made()) return;
        apply_window_font(r);
        request.enter_after(t.n, window_routine::window_changed);
        return;
    default: return;
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
        const int32_t a = lookup_attribute(AttributeClass::window, name);
        const AttributeRule<WindowTarget>& rule = window_rule(a);
        WindowTarget t{n, window_entry(n)};
        if (!rule.set) raise_error(rule.refusal);
        if (rule.set(t, a, request)) after_set(t, rule.after, request);
    }
}

void get_window_attributes(int n, ObjectRequest& request) {
    for (const std::string& name : request.names()) {
        const int32_t a = lookup_attribute(AttributeClass::window, name);
        const AttributeRule<WindowTarget>& rule = window_rule(a);
        WindowTarget t{n, window_entry(n)};
        if (!rule.get) raise_error(object_error::attribute_not_used);
        rule.get(t, a, request);
    }
}

} // namespace quillet
