#include "ui/objects/window_tools.h"

#include "ui/colours.h"
#include "ui/objects/scroll_bar_rules.h"

namespace quillet {

DrawingTarget window_target(const WindowRecord& record) {
    return {window_is_made(record) ? record.native_window : no_xvt_window, record.backing_pixmap};
}

void apply_window_tools(const WindowRecord& record) {
    window_target(record).each([&](XvtWindow w) {
        DrawTools t;
        xp_dwin_get_draw_ctools(w, t);
        t.pen_width = record.pen.width;
        t.pen_pattern = record.pen.pattern;
        t.pen_style = record.pen.style;
        t.pen_color = colour_value(record.pen.colour);
        t.brush_pattern = record.brush.pattern;
        t.brush_color = colour_value(record.brush.colour);
        t.mode = record.draw_mode;
        t.text_color = colour_value(record.foreground_colour);
        t.background = record.background_value;
        t.opaque_text = (record.flags & window_flag::plot_text_opaque) ? 1 : t.opaque_text;
        xp_dwin_set_draw_ctools(w, t);
    });
}

void apply_window_font(WindowRecord& record) {
    TextMetrics& m = text_metrics(record);
    if (m.font == 0) m.font = xp_font_create();
    xp_font_set_family(m.font, m.family);
    xp_font_set_style(m.font, m.font_style);
    xp_font_set_size(m.font, std::max(m.font_size, 1));
    window_target(record).each([&](XvtWindow w) { xp_dwin_set_font(w, m.font); });
    XvtWindow measured = window_target(record).source();
    if (measured == no_xvt_window) return;
    xp_dwin_get_font_metrics(measured, &m.leading, &m.ascent, &m.descent);
    m.char_width = xp_dwin_get_text_width(measured, "W", 1);
    m.line_height = m.ascent + m.descent + m.leading;
}

bool has_scroll_bar(const WindowRecord& record, bool vertical) {
    return (record.flags & (vertical ? window_flag::vertical_scroll_bar
                                     : window_flag::horizontal_scroll_bar)) != 0;
}

void apply_scroll_bar(WindowRecord& record, bool vertical) {
    if (!window_is_made(record) || !has_scroll_bar(record, vertical)) return;
    ScrollBarSettings& bar = vertical ? record.vertical_scroll : record.horizontal_scroll;
    apply_scroll_settings(record.native_window, vertical ? 1 : 0, bar);
}

} // namespace quillet
