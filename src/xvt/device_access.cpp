// Direct access to the host under a layer window, for the few engine parts that work on the host
// themselves: a window's device context (flood fills, pixel reads, picture copies), the caret of
// its native window and the screen's depth.
#include "xvt/window_drawing.h"

namespace quillet {

using namespace xvt_detail;

bool xvt_dwin_with_device(XvtWindow window, const std::function<void(DeviceContext&)>& work) {
    LayerWindow* w = drawing_window(window, "xvt_dwin_with_device");
    if (!w) return false;
    WindowDrawing drawing(*w);
    if (!drawing.valid()) return false;
    work(drawing.dc());
    return true;
}

int xvt_scr_get_depth() {
    host::WindowSystem* windows = window_system();
    return windows ? windows->screen_depth() : 32;
}

bool xvt_win_create_caret(XvtWindow window, IntSize size) {
    LayerWindow* w = layer_window(window);
    return w && app.windows && app.windows->create_caret(w->host, size);
}

void xvt_win_destroy_caret() {
    if (app.windows) app.windows->destroy_caret();
}

bool xvt_win_set_caret_pos(IntPoint client_point) {
    return app.windows && app.windows->set_caret_pos(client_point);
}

void xvt_win_show_caret(bool visible) {
    if (app.windows) app.windows->show_caret(visible);
}

} // namespace quillet
