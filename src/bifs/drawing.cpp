// Bifs of the drawing family: colours, lines, boxes, fills, ellipses, points, text, text-cell
// regions, the text cursor, the clip box, BOX KEEP and BOX SHOW, the mouse and pixel reads, all on
// the current window (and its backing pixmap).
#include "ui/drawing.h"

#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "ui/colours.h"
#include "ui/default_window.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/pictures.h"
#include "ui/text_cursor.h"
#include "ui/window_after_draw.h"
#include "ui/window_table.h"
#include "values/arrays.h"
#include "values/errors.h"
#include "values/strings.h"

#include <cstdlib>
#include <vector>

namespace quillet {
namespace {

constexpr int32_t empty_rectangle = -11271; // "RECTANGLE minimum = maximum."
constexpr int32_t brush_colour = -99;       // box fill with the current brush colour

DrawingTarget target_of(const WindowRecord& r) {
    return {r.in_use() ? r.native_window : no_xvt_window, r.backing_pixmap};
}

DrawingTarget current_target() {
    return target_of(current_window());
}

CellMetrics cell_metrics(const WindowRecord& r) {
    const TextMetrics& m = text_metrics(r);
    return {m.char_width, m.line_height, m.ascent, m.descent, m.leading};
}

// The drawing bifs that put something on the screen make the default window visible first.
void show_if_default() {
    if (window_table.current == default_window) show_default_window();
}

// The screen's colour class, which sets the depth of BOX KEEP's pictures.
int display_kind() {
    return xp_vobj_get_attr(current_target().source(),
                            static_cast<int32_t>(XvtScreenAttr::display_kind));
}

void after_draw() {
    window_after_draw(window_table.current);
}

// Sets the tools of every drawable of the record, changed by `change`.
template <typename Change>
void change_tools(const WindowRecord& r, Change change) {
    target_of(r).each([&](XvtWindow w) {
        DrawTools t;
        xp_dwin_get_draw_ctools(w, t);
        change(t);
        xp_dwin_set_draw_ctools(w, t);
    });
}

// ---- Colours ----------------------------------------------------------------------------------

void fill_from_palette(int32_t kind) {
    XvtPalette palette = xp_palet_create(kind);
    if (!palette) {
        xvt_dm_post_message(MessageKind::note, "Oops!");
        return;
    }
    std::fill(colours.table.begin(), colours.table.end(), Color{0});
    xp_palet_get_colors(palette, colours.table);
    xp_palet_destroy(palette);
}

void set_colour_mode() {
    const int32_t mode = int_operand();
    colours.mode = mode;
    switch (mode) {
    case 1:
        // The standard colours as the screen shows them, each with its index mark (start-up
        // snapped them to the device).
        for (int n = 0; n < standard_colour_count; ++n)
            set_colour_entry(n, colours.standard[static_cast<size_t>(n)]);
        break;
    case 2: fill_from_palette(2); break;
    case 3: fill_from_palette(3); break;
    case 4: fill_from_palette(4); break;
    case 5: fill_from_palette(1); break;
    default: break;
    }
}

void get_colour_mode() {
    set_int_operand(colours.mode);
    set_int_operand(1);
}

// A component as the program gave it, held to 0..255 so that it cannot spill into its
// neighbours.
uint8_t component(Addr cell) {
    return static_cast<uint8_t>(std::clamp(num_to_int32(load_cell(cell)), 0, 255));
}

// After colour n changed: the background of a window that uses it as its background, else the
// pen and brush of every window that draws with it, take the new value.
void reselect_colour_users(int32_t n, Color value, bool solid_mix) {
    WindowRecord& current = current_window();
    if (n == current.background_colour) {
        current.background_value = value;
        target_of(current).each([&](XvtWindow w) { xp_dwin_set_back_color(w, value); });
        return;
    }
    if (solid_mix) return;
    for (WindowRecord& r : window_table.records) {
        if (!r.in_use()) continue;
        const bool pen = r.pen.colour == n, brush = r.brush.colour == n;
        if (!pen && !brush) continue;
        change_tools(r, [&](DrawTools& t) {
            if (pen) t.pen_color = value;
            if (brush) t.brush_color = value;
        });
    }
}

void colour_components() {
    const int32_t mode = int_operand();
    const int32_t n = int_operand();
    const Addr red = num_operand(), green = num_operand(), blue = num_operand();
    Color entry = 0;
    switch (mode) {
    case 1: {
        Color rgb = make_color(component(red), component(green), component(blue));
        const bool solid_mix = current_window().flags & window_flag::solid_mix;
        if (solid_mix && is_colour_number(n))
            rgb = xp_dwin_get_nearest_color(current_target().source(), rgb) & color_mask;
        if (!set_colour_entry(n, solid_mix ? snapped_colour(n, rgb) : rgb)) return;
        reselect_colour_users(n, rgb, solid_mix);
        return;
    }
    case -1: entry = colour_entry(n); break;
    case -2:
        entry = n > -named_colour_count && n < named_colour_count
                    ? colours.named[static_cast<size_t>(std::abs(n))]
                    : Color{0};
        break;
    default: return;
    }
    num_set_int(red, red_of(entry));
    num_set_int(green, green_of(entry));
    num_set_int(blue, blue_of(entry));
}

void set_fore_back_colour() {
    const int32_t which = int_operand();
    const int32_t n = int_operand();
    WindowRecord& r = current_window();
    const Color value = colour_value(n);
    if (which == 0) {
        r.background_value = value;
        r.background_colour = n;
        target_of(r).each([&](XvtWindow w) { xp_dwin_set_back_color(w, value); });
    } else if (which == 1) {
        change_tools(r, [&](DrawTools& t) { t.pen_color = t.brush_color = t.text_color = value; });
        r.foreground_colour = r.pen.colour = r.brush.colour = n;
    }
}

void max_colour() {
    set_int_operand(colours.max_colour);
}

// ---- Shapes -----------------------------------------------------------------------------------

void line() {
    const int32_t x1 = int_operand(), y1 = int_operand(), x2 = int_operand(), y2 = int_operand();
    int_operand(); // not used
    show_if_default();
    draw_line(current_target(), {x1, y1}, {x2, y2}, current_window().pen.width);
    after_draw();
}

void box() {
    const int64_t left = int_operand(), top = int_operand(), right = int_operand(),
                  bottom = int_operand();
    const int32_t colour = int_operand();
    show_if_default();
    const WindowRecord& w = current_window();
    if (covers_whole_window(left, top, right, bottom, {w.pixel_width, w.pixel_height}))
        window_covered(window_table.current);
    const IntRect r = narrow_rect(left, top, right + 1, bottom + 1);
    fill_box(current_target(), r,
             colour == brush_colour ? std::nullopt : std::optional<Color>(colour_value(colour)));
    after_draw();
}

void flood() {
    const int32_t x = int_operand(), y = int_operand();
    const int32_t left = int_operand(), top = int_operand(), right = int_operand(),
                  bottom = int_operand();
    const int32_t colour = int_operand();
    show_if_default();
    flood_fill(current_target(), narrow_point(x, y), narrow_rect(left, top, right, bottom),
               colour_value(colour));
    process_host_messages();
}

void ellipse() {
    int32_t v[8];
    for (int32_t& x : v)
        x = int_operand();
    int_operand(); // not used
    show_if_default();
    if (v[0] == v[2] || v[1] == v[3]) raise_error(empty_rectangle);
    draw_ellipse(current_target(), narrow_rect(v[0], v[1], v[2], v[3]),
                 narrow_rect(v[4], v[5], v[6], v[7]));
    after_draw();
}

void points() {
    const int32_t kind = int_operand();
    const Addr block = load_u32(num_array_operand());
    show_if_default();
    if (kind >= 0 && kind <= 2 && block) {
        const ArrayBlock a{block};
        std::vector<IntPoint> pts(static_cast<size_t>(std::max(a.count(), 0) / 2));
        for (size_t i = 0; i < pts.size(); ++i)
            pts[i] = narrow_point(num_to_int32(load_cell(a.element(int32_t(2 * i)))),
                                  num_to_int32(load_cell(a.element(int32_t(2 * i + 1)))));
        draw_points(current_target(), kind, pts);
    }
    after_draw();
}

void set_clip() {
    const int64_t left = int_operand(), right = int_operand(), top = int_operand(),
                  bottom = int_operand();
    set_clip_box(current_target(), narrow_rect(left, top, right + 1, bottom + 1));
}

// ---- Text -------------------------------------------------------------------------------------

void text() {
    const int32_t x = int_operand(), y = int_operand(), justify = int_operand();
    const std::string_view s = str_view(load_u32(str_operand()));
    show_if_default();
    const WindowRecord& r = current_window();
    draw_graphics_text(current_target(), {x, y}, justify, s, cell_metrics(r),
                       r.flags & window_flag::plot_text_opaque);
    after_draw();
}

void clear_text() {
    const int32_t row1 = int_operand(), col1 = int_operand(), row2 = int_operand(),
                  col2 = int_operand();
    const WindowRecord& r = current_window();
    clear_region(current_target(), text_cell_rect(cell_metrics(r), row1, col1, row2, col2),
                 r.background_value);
    after_draw();
}

void scroll_text() {
    const int32_t row1 = int_operand(), col1 = int_operand(), row2 = int_operand(),
                  col2 = int_operand(), lines = int_operand();
    const WindowRecord& r = current_window();
    if (r.no_scroll) return;
    scroll_region(current_target(), text_cell_rect(cell_metrics(r), row1, col1, row2, col2), lines,
                  text_metrics(r).line_height);
    after_draw();
}

void cursor_position() {
    const int32_t row = int_operand(), col = int_operand();
    WindowRecord& r = current_window();
    set_text_cursor_position(target_of(r).window, r.text_cursor, row, col,
                             text_metrics(r).char_width, text_metrics(r).line_height);
}

void cursor_on() {
    const bool on = int_operand() == 1;
    WindowRecord& r = current_window();
    set_text_cursor_on(target_of(r).window, r.text_cursor, on, text_metrics(r).char_width,
                       text_metrics(r).line_height);
}

// ---- Pictures ---------------------------------------------------------------------------------

void keep() {
    const int64_t left = int_operand(), top = int_operand(), right = int_operand(),
                  bottom = int_operand();
    const Addr result = str_operand();
    show_if_default();
    // The rectangle is inclusive; a reversed one keeps nothing, one beyond the raster's limits
    // is refused as out of memory (see keep_picture).
    const IntRect area{int(left), int(top), int(std::min<int64_t>(right + 1, INT32_MAX)),
                       int(std::min<int64_t>(bottom + 1, INT32_MAX))};
    std::vector<uint8_t> picture;
    try {
        picture = keep_window_picture(current_target(), area,
                                      screen_picture_format(display_kind(), colours.max_colour));
    } catch (const PictureError&) {
        raise_error(err::out_of_memory);
    }
    str_set_bytes(result, picture.data(), static_cast<int32_t>(picture.size()));
}

void show() {
    const int32_t x = int_operand(), y = int_operand();
    const int32_t left = int_operand(), top = int_operand(), right = int_operand(),
                  bottom = int_operand();
    const std::string_view picture = str_view(load_u32(str_operand()));
    const int32_t mode = int_operand();
    show_if_default();
    try {
        show_picture(current_target(), {x, y}, narrow_rect(left, top, right, bottom),
                     {reinterpret_cast<const uint8_t*>(picture.data()), picture.size()}, mode);
    } catch (const PictureError&) {
        return; // a malformed picture draws nothing
    }
    after_draw();
}

// ---- Window state, mouse, pixels ---------------------------------------------------------------

void metrics() {
    const WindowRecord& r = current_window();
    set_int_operand(r.pixel_width);
    set_int_operand(r.pixel_height);
    set_int_operand(text_metrics(r).char_width);
    set_int_operand(text_metrics(r).line_height);
    zero_results(2);
}

void mouse() {
    skip_operands(2); // left alone
    const Addr x = num_operand(), y = num_operand(), state = num_operand();
    show_if_default();
    process_host_messages();
    WindowRecord& r = current_window();
    num_set_int(state, take_mouse_state(r.mouse_state));
    num_set_int(x, r.mouse_x);
    num_set_int(y, r.mouse_y);
}

void resized() {
    WindowRecord& r = current_window();
    set_int_operand(r.resized ? 1 : 0);
    r.resized = false;
}

void pixel() {
    const int32_t mode = int_operand(), x = int_operand(), y = int_operand();
    const Addr number = num_operand(), red = num_operand(), green = num_operand(),
               blue = num_operand();
    if (mode != 0 && mode != 1) return;
    const std::optional<Color> c = read_pixel(current_target(), narrow_point(x, y));
    if (!c) {
        for (Addr a : {red, green, blue})
            num_set_int(a, -1);
        return;
    }
    num_set_int(red, red_of(*c));
    num_set_int(green, green_of(*c));
    num_set_int(blue, blue_of(*c));
    if (mode == 0) num_set_int(number, find_colour_number(colours.table, *c, xvt_scr_get_depth()));
}

void nothing() {}

} // namespace

void install_drawing_bifs(BifTable& t) {
    t.install(bif::set_colour_mode, set_colour_mode);
    t.install(bif::get_colour_mode, get_colour_mode);
    t.install(bif::clear_text_region, clear_text);
    t.install(bif::scroll_text_region, scroll_text);
    t.install(bif::set_text_cursor, cursor_position);
    t.install(bif::text_cursor_on, cursor_on);
    t.install(bif::colour_components, colour_components);
    t.install(bif::draw_line, line);
    t.install(bif::fill_box, box);
    t.install(bif::set_fore_back_colour, set_fore_back_colour);
    t.install(bif::flood_fill, flood);
    t.install(bif::draw_ellipse, ellipse);
    t.install(bif::box_keep, keep);
    t.install(bif::box_show, show);
    t.install(bif::window_metrics, metrics);
    t.install(bif::read_mouse, mouse);
    t.install(bif::draw_text, text);
    t.install(bif::window_resized, resized);
    t.install(bif::max_colour, max_colour);
    t.install(bif::set_clip, set_clip);
    t.install(bif::draw_points, points);
    t.install(bif::read_pixel, pixel);
    for (bif::Number n :
         {bif::draw_stub_400, bif::draw_stub_401, bif::draw_stub_402, bif::draw_stub_403,
          bif::draw_stub_404, bif::draw_stub_427, bif::draw_stub_428, bif::draw_stub_440,
          bif::draw_stub_444, bif::draw_stub_448, bif::draw_stub_459, bif::draw_stub_461,
          bif::draw_stub_468, bif::draw_stub_471, bif::draw_stub_476, bif::draw_stub_478,
          bif::draw_stub_480})
        t.install(n, nothing);
}

} // namespace quillet
