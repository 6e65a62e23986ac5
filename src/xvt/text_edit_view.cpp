// The view of a text-edit object: its font and layout, the visible lines and their scrolling,
// painting (lines, selection, border) and the caret.
#include "host/raster/raster_error.h"
#include "host/windows/ui_style.h"
#include "xvt/text_edit.h"

#include <algorithm>

namespace quillet::xvt_detail {

namespace {

constexpr size_t max_face_name_bytes = 31;

int32_t border_width(const TextEditor& tx) {
    return tx.has(xvt_tx_attr::border) ? 1 : 0;
}

} // namespace

std::shared_ptr<const Font> open_text_edit_font(std::string_view family, int32_t points,
                                                uint32_t style) {
    FontRequest request;
    request.family = std::string(family.substr(0, max_face_name_bytes));
    request.height = -(points * font_dpi / 72);
    request.weight = style & xvt_font_style::bold ? 700 : 400;
    request.italic = style & xvt_font_style::italic;
    request.underline = style & xvt_font_style::underline;
    request.strike_out = style & xvt_font_style::strike_out;
    try {
        return app.windows->fonts().open(request);
    } catch (const RasterError&) {
        return nullptr;
    }
}

void relayout(TextEditor& tx) {
    std::shared_ptr<const Font> font = tx.font;
    const FontMetrics& m = font->metrics();
    tx.line_height = std::max(1, m.external_leading + m.ascent + m.descent);
    tx.model.set_layout(tx.has(xvt_tx_attr::wrap), tx.margin,
                        [font](std::string_view text) { return font->text_extent(text).width; });
}

IntRect text_area(const TextEditor& tx) {
    const IntSize size = app.windows->client_size(tx.host);
    const int32_t b = border_width(tx);
    return {b, b, std::max(b, size.width - b), std::max(b, size.height - b)};
}

int32_t view_lines(const TextEditor& tx) {
    return static_cast<int32_t>(text_area(tx).height() / tx.line_height);
}

void set_origin(TextEditor& tx, int32_t first_line, int32_t horizontal) {
    const int32_t last_first = std::max(0, tx.model.line_count() - view_lines(tx));
    const int32_t widest = std::max(tx.model.widest_line(), tx.model.caret_x() + 1);
    const int32_t last_horizontal =
        std::max<int32_t>(0, widest - static_cast<int32_t>(text_area(tx).width()));
    first_line = std::clamp(first_line, 0, last_first);
    horizontal = std::clamp(horizontal, 0, last_horizontal);
    TxScrollNotice notice;
    notice.lines = tx.model.line_count();
    if (first_line != tx.first_line) notice.vertical = tx.first_line = first_line;
    if (horizontal != tx.horizontal) notice.horizontal = tx.horizontal = horizontal;
    if (notice.vertical == tx_unchanged && notice.horizontal == tx_unchanged) return;
    repaint(tx);
    // The callback may destroy the object: it is called last.
    if (tx.on_scroll) {
        TxScrollCallback callback = tx.on_scroll;
        callback(tx.self, notice);
    }
}

void scroll_to_caret(TextEditor& tx) {
    const LinePlace at = tx.model.to_lines(tx.model.caret());
    const int32_t line = tx.model.absolute_line(at.paragraph, at.line);
    const int32_t view = std::max(1, view_lines(tx));
    int32_t first = tx.first_line;
    if (line < first) first = line;
    if (line >= first + view) first = line - view + 1;
    const int32_t x = tx.model.caret_x();
    const int32_t width = static_cast<int32_t>(text_area(tx).width());
    int32_t horizontal = tx.horizontal;
    if (x < horizontal) horizontal = x;
    if (x >= horizontal + width) horizontal = x - width + 1;
    set_origin(tx, first, horizontal);
}

void click_at(TextEditor& tx, IntPoint point, bool extend) {
    const IntRect area = text_area(tx);
    const int32_t row = point.y < area.top ? -1 : (point.y - area.top) / tx.line_height;
    tx.model.click_at(tx.first_line + row, point.x - area.left + tx.horizontal, extend);
    scroll_to_caret(tx);
    repaint(tx);
}

void repaint(TextEditor& tx) {
    if (tx.suspended > 0) return;
    Surface* surface = app.windows->surface(tx.host);
    if (!surface) return;
    DeviceContext dc(*surface);
    // A disabled object looks as disabled controls do: grey text on the face colour, and no
    // selection.
    const bool enabled = app.windows->is_enabled(tx.host);
    const Color background = enabled ? tx.background : host::ui::face;
    const Color text_color = enabled ? tx.text_color : host::ui::gray_text;
    dc.fill_rect(surface->rect(), Brush::solid(background));
    if (tx.has(xvt_tx_attr::border)) {
        dc.state().pen = Pen{};
        dc.state().pen.color = tx.third;
        dc.state().brush = Brush::hollow();
        dc.draw_rect(surface->rect());
    }
    const IntRect area = text_area(tx);
    dc.state().clip = Region(area);
    dc.state().font = tx.font;
    dc.state().background_mode = BackgroundMode::transparent;

    const TextModel& m = tx.model;
    const TextPlace sel_start = m.selection_start(), sel_end = m.selection_end();
    const int32_t lines = m.line_count();
    for (int32_t row = 0; row <= view_lines(tx) && tx.first_line + row < lines; ++row) {
        const LinePlace at = m.line_at(tx.first_line + row);
        const std::string_view text = m.line_text(at.paragraph, at.line);
        const TextPlace line_start = m.from_lines(at);
        const int32_t top = area.top + row * tx.line_height;
        const int32_t left = area.left - tx.horizontal;
        dc.state().text_color = text_color;
        dc.draw_text({left, top}, text, TextAlign::top);
        if (!enabled) continue;
        // The selected part of the line is drawn again inverted: background on text colour.
        const int32_t line_end = line_start.offset + static_cast<int32_t>(text.size());
        auto clip_to_line = [&](TextPlace p) {
            if (p.paragraph < at.paragraph) return 0;
            if (p.paragraph > at.paragraph) return static_cast<int32_t>(text.size());
            return std::clamp(p.offset, line_start.offset, line_end) - line_start.offset;
        };
        const int32_t from = clip_to_line(sel_start), to = clip_to_line(sel_end);
        if (from >= to) continue;
        const int32_t x0 = left + tx.font->text_extent(text.substr(0, from)).width;
        const int32_t x1 = left + tx.font->text_extent(text.substr(0, to)).width;
        dc.fill_rect({x0, top, x1, top + tx.line_height}, Brush::solid(tx.text_color));
        dc.state().text_color = tx.background;
        dc.draw_text({x0, top}, text.substr(from, to - from), TextAlign::top);
    }
    app.windows->mark_drawn(tx.host);
    update_caret(tx);
}

void update_caret(TextEditor& tx) {
    if (!tx.active || app.windows->focus() != tx.host) return;
    if (tx.has(xvt_tx_attr::read_only)) {
        app.windows->destroy_caret();
        return;
    }
    const LinePlace at = tx.model.to_lines(tx.model.caret());
    const int32_t row = tx.model.absolute_line(at.paragraph, at.line) - tx.first_line;
    const IntRect area = text_area(tx);
    app.windows->create_caret(tx.host, {1, tx.line_height});
    app.windows->set_caret_pos(
        {area.left + tx.model.caret_x() - tx.horizontal, area.top + row * tx.line_height});
    app.windows->show_caret(true);
}

} // namespace quillet::xvt_detail
