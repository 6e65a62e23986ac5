#include "ui/text_cells.h"

#include "ui/default_window.h"
#include "ui/window_after_draw.h"
#include "ui/window_table.h"

namespace quillet {
namespace {

int32_t text_length(std::string_view text) {
    return static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
}

// Fills the rectangle with the background colour and puts the tools back as they were.
void clear_rect(XvtWindow w, const IntRect& r, Color background) {
    DrawTools saved;
    xp_dwin_get_draw_ctools(w, saved);
    DrawTools fill = saved;
    fill.pen_pattern = 1; // no pen
    fill.brush_pattern = xvt_brush_pattern::solid;
    fill.brush_color = background;
    fill.mode = xvt_draw_mode::copy;
    xp_dwin_set_draw_ctools(w, fill);
    xp_dwin_draw_rect(w, r);
    xp_dwin_set_draw_ctools(w, saved);
}

} // namespace

void print_at_cell(int32_t r, int32_t c, std::string_view text) {
    show_default_window();
    int n = window_table.current;
    WindowRecord* record = find_window(n);
    if (!record || record->native_window == no_xvt_window) return;
    const TextMetrics& m = text_metrics(*record);
    int64_t x = int64_t{m.char_width} * (int64_t{c} - 1);
    int64_t y = int64_t{m.line_height} * (int64_t{r} - 1) + m.ascent;
    // Coordinates enter the layer as 16-bit values.
    auto narrow = [](int64_t v) { return static_cast<int32_t>(static_cast<int16_t>(v)); };
    int32_t length = text_length(text);
    int32_t width = xp_dwin_get_text_width(record->native_window, text, length);
    IntRect line{narrow(x), narrow(y - m.ascent), narrow(x) + width,
                 narrow(y - m.ascent) + m.line_height};
    for_each_drawable(*record, [&](XvtWindow w) {
        clear_rect(w, line, record->background_value);
        xp_dwin_draw_text(w, narrow(x), narrow(y), text, length);
    });
    window_after_draw(n);
}

int32_t font_measure(int32_t w, int32_t k, std::string_view text) {
    const WindowRecord* record = find_window(w < 0 ? window_table.current : w);
    if (!record) return 0;
    const TextMetrics& m = text_metrics(*record);
    switch (k) {
    case 1: return m.char_width;
    case 2: return m.line_height;
    case 3: return m.font_size;
    case 4: return m.ascent;
    case 5: return m.descent;
    default:
        if (record->native_window == no_xvt_window) return 0;
        return xp_dwin_get_text_width(record->native_window, text, text_length(text));
    }
}

} // namespace quillet
