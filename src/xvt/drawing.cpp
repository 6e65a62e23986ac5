// Drawing on the layer's windows: text, lines with and without arrow heads, shapes, clearing,
// invalidation and scrolling, each through a device context with the window's tools.
#include "xvt/printing.h"
#include "xvt/window_drawing.h"

#include <algorithm>
#include <cmath>

namespace quillet {

using namespace xvt_detail;

namespace {

// The part of the text an operation takes: length -1 up to the first NUL; none for a length
// beyond the text or below -1.
std::optional<std::string_view> text_part(std::string_view text, int32_t length) {
    if (length == -1) return text.substr(0, text.find('\0'));
    if (length < 0 || static_cast<size_t>(length) > text.size()) return std::nullopt;
    return text.substr(0, static_cast<size_t>(length));
}

// Runs `draw` on the window's device context when the window takes drawing.
template <typename Draw>
void draw_on(XvtWindow window, std::string_view api, Draw draw) {
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    WindowDrawing drawing(*w);
    if (drawing.valid()) draw(drawing.dc());
}

// An open arrow head at `tip`, its two barbs at 30 degrees either side of the way back to `tail`.
void draw_arrow_head(DeviceContext& dc, IntPoint tail, IntPoint tip) {
    const double dx = double(tail.x) - tip.x, dy = double(tail.y) - tip.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return;
    const double barb = std::max(8, 3 * dc.state().pen.width);
    const double ux = dx / length, uy = dy / length;
    constexpr double cos30 = 0.8660254037844386, sin30 = 0.5;
    for (double side : {1.0, -1.0}) {
        const double bx = ux * cos30 - side * uy * sin30;
        const double by = uy * cos30 + side * ux * sin30;
        dc.move_to(tip);
        dc.line_to({tip.x + static_cast<int>(std::lround(bx * barb)),
                    tip.y + static_cast<int>(std::lround(by * barb))});
    }
}

} // namespace

void xp_dwin_draw_text(XvtWindow window, int32_t x, int32_t y, std::string_view text,
                       int32_t length) {
    constexpr std::string_view api = "xp_dwin_draw_text";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    std::optional<std::string_view> part = text_part(text, length);
    if (!part) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::invalid_parameter);
        return;
    }
    WindowDrawing drawing(*w);
    if (!drawing.valid()) return;
    drawing.dc().state().font = window_font(*w);
    if (!drawing.dc().state().font) return;
    // y is the baseline: the text's cell starts an ascent above it.
    const int ascent = drawing.dc().state().font->metrics().ascent;
    drawing.dc().draw_text({x, y - ascent}, *part, TextAlign::top);
    note_page_text(*w, {x, y}, *part);
}

void xp_dwin_get_font_metrics(XvtWindow window, int32_t* leading, int32_t* ascent,
                              int32_t* descent) {
    constexpr std::string_view api = "xp_dwin_get_font_metrics";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    std::shared_ptr<const GlyphFont> font = window_font(*w);
    if (!leading || !ascent || !descent || !font) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::font_metrics);
        return;
    }
    const FontMetrics& m = font->metrics();
    *leading = m.external_leading;
    *ascent = m.ascent;
    *descent = m.descent;
}

int32_t xp_dwin_get_text_width(XvtWindow window, std::string_view text, int32_t length) {
    constexpr std::string_view api = "xp_dwin_get_text_width";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return 0;
    std::optional<std::string_view> part = text_part(text, length);
    std::shared_ptr<const GlyphFont> font = window_font(*w);
    if (!part || !font) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::text_width);
        return 0;
    }
    return font->text_extent(*part).width;
}

void xp_dwin_clear(XvtWindow window, Color color) {
    draw_on(window, "xp_dwin_clear", [color](DeviceContext& dc) {
        dc.state().clip.reset();
        dc.fill_rect(dc.surface().rect(), Brush::solid(color & color_mask));
    });
}

void xp_dwin_draw_set_pos(XvtWindow window, IntPoint p) {
    if (LayerWindow* w = drawing_window(window, "xp_dwin_draw_set_pos")) w->pen_position = p;
}

void xp_dwin_draw_line(XvtWindow window, IntPoint p) {
    draw_on(window, "xp_dwin_draw_line", [p](DeviceContext& dc) { dc.line_to(p); });
}

void xp_dwin_draw_aline(XvtWindow window, IntPoint from, IntPoint to, uint32_t arrows) {
    draw_on(window, "xp_dwin_draw_aline", [=](DeviceContext& dc) {
        dc.move_to(from);
        dc.line_to(to);
        if (arrows & xvt_arrow::at_from) draw_arrow_head(dc, to, from);
        if (arrows & xvt_arrow::at_to) draw_arrow_head(dc, from, to);
        dc.move_to(to);
    });
}

void xp_dwin_draw_rect(XvtWindow window, const IntRect& r) {
    draw_on(window, "xp_dwin_draw_rect", [&r](DeviceContext& dc) { dc.draw_rect(r); });
}

void xp_dwin_draw_roundrect(XvtWindow window, const IntRect& r, int32_t corner_width,
                            int32_t corner_height) {
    draw_on(window, "xp_dwin_draw_roundrect", [&](DeviceContext& dc) {
        dc.draw_round_rect(r, {corner_width, corner_height});
    });
}

void xp_dwin_draw_oval(XvtWindow window, const IntRect& r) {
    draw_on(window, "xp_dwin_draw_oval", [&r](DeviceContext& dc) { dc.draw_ellipse(r); });
}

void xp_dwin_draw_arc(XvtWindow window, const IntRect& r, IntPoint start, IntPoint stop) {
    draw_on(window, "xp_dwin_draw_arc", [&](DeviceContext& dc) { dc.draw_arc(r, start, stop); });
}

void xp_dwin_draw_pie(XvtWindow window, const IntRect& r, IntPoint start, IntPoint stop) {
    draw_on(window, "xp_dwin_draw_pie", [&](DeviceContext& dc) { dc.draw_pie(r, start, stop); });
}

void xp_dwin_draw_polygon(XvtWindow window, std::span<const IntPoint> points) {
    draw_on(window, "xp_dwin_draw_polygon",
            [points](DeviceContext& dc) { dc.draw_polygon(points); });
}

void xp_dwin_draw_polyline(XvtWindow window, std::span<const IntPoint> points) {
    draw_on(window, "xp_dwin_draw_polyline",
            [points](DeviceContext& dc) { dc.draw_polyline(points); });
}

void xp_dwin_invalidate_rect(XvtWindow window, const IntRect* area) {
    LayerWindow* w = drawing_window(window, "xp_dwin_invalidate_rect");
    // A pixmap is never painted: there is nothing to schedule.
    if (!w || w->picture) return;
    app.windows->invalidate(w->host,
                            area ? std::optional<IntRect>(area->normalized()) : std::nullopt);
}

void xp_dwin_scroll_rect(XvtWindow window, const IntRect& r, int32_t dx, int32_t dy) {
    constexpr std::string_view api = "xp_dwin_scroll_rect";
    LayerWindow* w =
        checked_window(window, api, ErrorCategory::dwin, [](const WindowTypeInfo& info) {
            return info.drawing && info.type != int32_t(WindowType::pixmap) &&
                   info.type != int32_t(WindowType::print);
        });
    if (!w) return;
    Surface* picture = window_picture(*w);
    if (!picture) return;
    DeviceContext dc(*picture);
    IntRect uncovered = dc.scroll_rect(r.normalized(), dx, dy);
    app.windows->mark_drawn(w->host);
    if (!uncovered.is_empty()) app.windows->invalidate(w->host, uncovered);
}

bool xvt_dwg_draw_text(XvtWindow window, IntPoint p, std::string_view text) {
    LayerWindow* record = layer_window(window);
    if (!record || !record->painting) return false;
    record->painting->draw_text(p, text);
    return true;
}

} // namespace quillet
