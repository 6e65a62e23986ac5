// Screen attributes: the host's measures, display kind and device colours as the engine asks for
// them by number (screen_attributes.def).
#include "host/raster/palettes.h"
#include "host/windows/ui_style.h"
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

namespace quillet {

using namespace xvt_detail;

namespace {

// The one settable attribute: our host repaints without erasing first, so the flag changes no
// drawing; the engine's reads see what it set.
int32_t repaint_in_layout = 0;

int32_t interface_font_height(host::WindowSystem& ws) {
    return ws.ui_font() ? ws.ui_font()->metrics().height : 16;
}

} // namespace

int32_t xvt_display_kind_of_depth(int bits_per_pixel) {
    if (bits_per_pixel <= 1) return xvt_display_kind::two_colours;
    if (bits_per_pixel <= 4) return xvt_display_kind::sixteen_colours;
    if (bits_per_pixel <= 8) return xvt_display_kind::palette_256;
    return xvt_display_kind::true_colour;
}

int32_t xp_vobj_get_attr(XvtWindow window, int32_t attr) {
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error("xp_vobj_get_attr", ErrorCategory::vobj, ErrorId::host_null);
        return 0;
    }
    const host::Metrics& m = ws->metrics();
    using A = XvtScreenAttr;
    switch (static_cast<A>(attr)) {
    case A::window_background: return static_cast<int32_t>(host::ui::window);
    case A::button_height: return interface_font_height(*ws) + 10;
    case A::check_box_height:
    case A::radio_height: return interface_font_height(*ws) + 4;
    case A::edit_height: return interface_font_height(*ws) + 8;
    case A::static_text_height: return interface_font_height(*ws) + 2;
    case A::hscroll_height:
    case A::vscroll_width: return m.scroll_bar;
    case A::double_border_height:
    case A::double_border_width: return m.dialog_border;
    case A::display_kind: return xvt_display_kind_of_depth(ws->screen_depth());
    case A::resize_border_height:
    case A::resize_border_width: return m.sizable_border;
    case A::border_height:
    case A::border_width: return m.thin_border;
    case A::menu_height: return m.menu_height;
    case A::device_context: return layer_window(window) ? static_cast<int32_t>(window) : 0;
    case A::screen_height: return ws->screen_size().height;
    case A::screen_width: return ws->screen_size().width;
    case A::repaint_in_layout: return repaint_in_layout;
    case A::title_bar_height: return m.caption_height;
    }
    return 0;
}

void xp_vobj_set_attr(XvtWindow, int32_t attr, int32_t value) {
    if (attr == static_cast<int32_t>(XvtScreenAttr::repaint_in_layout)) repaint_in_layout = value;
}

Color xp_dwin_get_nearest_color(XvtWindow dc, Color color) {
    color &= color_mask;
    switch (xp_vobj_get_attr(dc, static_cast<int32_t>(XvtScreenAttr::display_kind))) {
    case xvt_display_kind::two_colours: {
        // Luma of ITU-R 601 against the middle grey.
        uint32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
        return 299 * r + 587 * g + 114 * b >= 128 * 1000 ? 0xFFFFFF : 0x000000;
    }
    case xvt_display_kind::sixteen_colours: {
        static constexpr Color vga[] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                        0xAAAA00, 0xAAAAAA, 0x555555, 0x0000FF, 0x00FF00, 0x00FFFF,
                                        0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
        return vga[nearest_color_index(vga, color)];
    }
    case xvt_display_kind::palette_256: {
        std::span<const Color> palette = system_palette();
        return palette[nearest_color_index(palette, color)] & color_mask;
    }
    default: return color;
    }
}

} // namespace quillet
