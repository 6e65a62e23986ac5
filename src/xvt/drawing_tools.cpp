// Drawing tools of the layer's windows: the 40-byte tools record and the host pen, brush and
// raster operations it selects, the standard pens and brushes, the clip, and the device context
// each drawing operation works through.
#include "xvt/window_drawing.h"

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

LayerWindow* drawing_window(XvtWindow window, std::string_view api) {
    return checked_window(window, api, ErrorCategory::dwin,
                          [](const WindowTypeInfo& info) { return info.drawing; });
}

Surface* window_picture(LayerWindow& window) {
    if (window.picture) return window.picture.get();
    return app.windows ? app.windows->surface(window.host) : nullptr;
}

std::shared_ptr<const GlyphFont> window_font(const LayerWindow& window) {
    if (window.host_font) return window.host_font;
    return app.windows ? app.windows->ui_font() : nullptr;
}

Pen pen_of(const DrawTools& tools) {
    Pen pen;
    pen.width = tools.pen_width;
    pen.color = tools.pen_color & color_mask;
    if (tools.pen_pattern == 1)
        pen.style = PenStyle::none;
    else if (tools.pen_pattern == 9 && tools.pen_style == 0)
        pen.style = PenStyle::dot;
    else
        pen.style = tools.pen_style == 1   ? PenStyle::dot
                    : tools.pen_style == 2 ? PenStyle::dash
                                           : PenStyle::solid;
    return pen;
}

Brush brush_of(const DrawTools& tools) {
    const Color c = tools.brush_color & color_mask;
    switch (tools.brush_pattern) {
    case 0:
    case 1:
    case 10: return Brush::hollow();
    case 3: return Brush::hatched(Hatch::horizontal, c);
    case 4: return Brush::hatched(Hatch::vertical, c);
    case 5: return Brush::hatched(Hatch::forward_diagonal, c);
    case 6: return Brush::hatched(Hatch::backward_diagonal, c);
    case 7: return Brush::hatched(Hatch::cross, c);
    case 8: return Brush::hatched(Hatch::diagonal_cross, c);
    default: return Brush::solid(c);
    }
}

Rop2 mix_of(int32_t mode) {
    switch (mode) {
    case xvt_draw_mode::mask: return Rop2::mask_pen;
    case xvt_draw_mode::xor_: return Rop2::xor_pen;
    case xvt_draw_mode::white: return Rop2::white;
    case xvt_draw_mode::not_copy: return Rop2::not_copy_pen;
    case xvt_draw_mode::not_mask: return Rop2::not_mask_pen;
    case xvt_draw_mode::not_xor: return Rop2::not_xor_pen;
    case xvt_draw_mode::black: return Rop2::black;
    default: return Rop2::copy_pen;
    }
}

Rop3 block_transfer_of(int32_t mode) {
    switch (mode) {
    case 1: return rop3::src_paint;
    case 2: return rop3::src_invert;
    case 3: return rop3::whiteness;
    case 4: return rop3::not_src_copy;
    case 5: return rop3::not_src_erase;
    default: return rop3::src_copy;
    }
}

WindowDrawing::WindowDrawing(LayerWindow& window) : m_window(window) {
    Surface* picture = window_picture(window);
    if (!picture) return;
    m_dc.emplace(*picture);
    DrawState& s = m_dc->state();
    s.pen = window.pen;
    s.brush = window.brush;
    s.rop2 = mix_of(window.tools.mode);
    s.text_color = window.tools.text_color & color_mask;
    s.background = window.tools.background & color_mask;
    s.background_mode =
        window.tools.opaque_text ? BackgroundMode::opaque : BackgroundMode::transparent;
    s.position = window.pen_position;
    s.clip = window.clip;
}

WindowDrawing::~WindowDrawing() {
    if (!m_dc) return;
    m_window.pen_position = m_dc->state().position;
    if (!m_window.picture && app.windows) app.windows->mark_drawn(m_window.host);
}

} // namespace xvt_detail

void xp_dwin_get_draw_ctools(XvtWindow window, DrawTools& tools) {
    if (LayerWindow* w = drawing_window(window, "xp_dwin_get_draw_ctools")) tools = w->tools;
}

void xp_dwin_set_draw_ctools(XvtWindow window, const DrawTools& tools) {
    LayerWindow* w = drawing_window(window, "xp_dwin_set_draw_ctools");
    if (!w) return;
    w->tools = tools;
    w->pen = pen_of(tools);
    w->brush = brush_of(tools);
}

void xp_dwin_set_std_cpen(XvtWindow window, int32_t which) {
    constexpr std::string_view api = "xp_dwin_set_std_cpen";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    if (which != 0 && which != 1) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::invalid_parameter);
        return;
    }
    w->pen = Pen{PenStyle::solid, 1, which == 0 ? Color{0} : Color{0xFFFFFF}};
}

void xp_dwin_set_std_cbrush(XvtWindow window, int32_t which) {
    constexpr std::string_view api = "xp_dwin_set_std_cbrush";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    if (which != 0 && which != 1) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::invalid_parameter);
        return;
    }
    w->brush = Brush::solid(which == 0 ? Color{0} : Color{0xFFFFFF});
}

void xp_dwin_set_back_color(XvtWindow window, Color color) {
    if (LayerWindow* w = drawing_window(window, "xp_dwin_set_back_color"))
        w->tools.background = color & color_mask;
}

void xp_dwin_set_clip(XvtWindow window, const IntRect* clip) {
    LayerWindow* w = drawing_window(window, "xp_dwin_set_clip");
    if (!w) return;
    if (clip)
        w->clip = clip->normalized();
    else
        w->clip.reset();
}

void xp_dwin_get_clip(XvtWindow window, IntRect& clip) {
    LayerWindow* w = drawing_window(window, "xp_dwin_get_clip");
    if (!w) return;
    if (w->clip) {
        clip = *w->clip;
        return;
    }
    const Surface* picture = window_picture(*w);
    clip = picture ? picture->rect() : IntRect{};
}

void xp_vobj_get_client_rect(XvtWindow window, IntRect& rect) {
    LayerWindow* w = checked_window(window, "xp_vobj_get_client_rect", ErrorCategory::vobj,
                                    [](const WindowTypeInfo&) { return true; });
    if (!w) return;
    if (w->picture) {
        rect = w->picture->rect();
        return;
    }
    IntSize size = app.windows->client_size(w->host);
    rect = IntRect::from_size(size.width, size.height);
}

} // namespace quillet
