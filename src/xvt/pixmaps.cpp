// Pixmaps: windows of type 8 whose picture is a surface of their own, and block transfers of
// them with the raster operation of the destination's drawing mode.
#include "host/raster/raster_error.h"
#include "xvt/window_drawing.h"

namespace quillet {

using namespace xvt_detail;

XvtWindow xp_pmap_create(XvtWindow window, int32_t type, int32_t width, int32_t height) {
    constexpr std::string_view api = "xp_pmap_create";
    (void)type; // one kind of picture on our true-colour host
    if (window != no_xvt_window && !layer_window(window)) {
        xvt_report_error(api, ErrorCategory::pmap, ErrorId::illegal_window);
        return no_xvt_window;
    }
    if (width < 1 || height < 1) {
        xvt_report_error(api, ErrorCategory::pmap, ErrorId::invalid_parameter);
        return no_xvt_window;
    }
    auto record = std::make_unique<LayerWindow>();
    record->type = static_cast<int32_t>(WindowType::pixmap);
    record->parent = window;
    try {
        record->picture = std::make_unique<Surface>(width, height, Color{0});
    } catch (const RasterError&) {
        xvt_report_error(api, ErrorCategory::pmap, ErrorId::no_memory);
        return no_xvt_window;
    }
    XvtWindow pixmap = add_layer_window(std::move(record));
    if (pixmap == no_xvt_window) xvt_report_error(api, ErrorCategory::pmap, ErrorId::no_memory);
    return pixmap;
}

void xp_pmap_destroy(XvtWindow pixmap) {
    LayerWindow* w = layer_window(pixmap);
    if (!w || !w->picture) {
        xvt_report_error("xp_pmap_destroy", ErrorCategory::pmap, ErrorId::illegal_window);
        return;
    }
    forget_layer_window(pixmap);
}

const Surface* xvt_pmap_surface(XvtWindow pixmap) {
    LayerWindow* w = layer_window(pixmap);
    return w ? w->picture.get() : nullptr;
}

void xp_dwin_draw_pmap(XvtWindow window, XvtWindow pixmap, const IntRect* dest,
                       const IntRect* source) {
    constexpr std::string_view api = "xp_dwin_draw_pmap";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    LayerWindow* p = layer_window(pixmap);
    if (!p || !p->picture) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::illegal_window);
        return;
    }
    if (!dest || !source) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::invalid_parameter);
        return;
    }
    WindowDrawing drawing(*w);
    if (!drawing.valid()) return;
    // A pixmap drawn into itself is copied from a snapshot of its picture.
    std::optional<Surface> snapshot;
    if (p == w) snapshot = *p->picture;
    drawing.dc().stretch_blt(dest->normalized(), snapshot ? *snapshot : *p->picture,
                             source->normalized(), block_transfer_of(w->tools.mode));
}

void xp_dwin_draw_picture(XvtWindow window, const Surface& picture, const IntRect& dest,
                          const IntRect& source, uint32_t rop) {
    LayerWindow* w = drawing_window(window, "xp_dwin_draw_picture");
    if (!w) return;
    WindowDrawing drawing(*w);
    if (!drawing.valid()) return;
    drawing.dc().stretch_blt(dest.normalized(), picture, source.normalized(), rop);
}

} // namespace quillet
