#include "ui/default_window.h"

#include "xvt/xvt.h"

namespace quillet {

void end_of_program_wait() {
    std::optional<IntSize> screen = xvt_screen_size();
    if (!screen) return;
    XvtWindowDef def;
    def.rect = {40, 80, screen->width - 40, screen->height - 40};
    def.title = product_title;
    def.caption = def.sizable = true;
    def.paint = [](XvtWindow window) {
        int height = xvt_vobj_get_client_size(window).height;
        xvt_dwg_draw_text(window, {1, height - 10}, "Press any key.");
    };
    XvtWindow window = xvt_win_create(def);
    if (window == no_xvt_window) return;
    xvt_scr_set_focus_vobj(window);
    xvt_win_wait_for_key(window);
}

} // namespace quillet
