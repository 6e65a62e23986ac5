// The splash window: a plain window without caption that draws the picture on every paint and
// goes away on a mouse click in it.
#include "ui/splash.h"

#include "devices/path_mapping.h"
#include "graphics/draw_picture.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "graphics/read_image.h"
#include "ui/ui_state.h"
#include "xvt/xvt.h"

#include <vector>

namespace quillet {

namespace {

constexpr Splash& splash = ui_state.splash;

long splash_handler(XvtWindow window, const XvtEvent& event) {
    switch (event.kind()) {
    case EventKind::create:
    case EventKind::update:
        draw_picture(window, splash.picture, {0, 0, splash.size.width - 1, splash.size.height - 1});
        return 0;
    case EventKind::mouse_up: xp_vobj_destroy(window); return 0;
    case EventKind::destroy: splash = Splash{}; return 0;
    default: return 0;
    }
}

} // namespace

bool show_splash() {
    const std::optional<IntSize> screen = xvt_screen_size();
    if (!screen) return false;
    std::vector<uint8_t> picture;
    try {
        // As every image file is read: a missing file quietly gives no picture.
        picture = read_image("MS BMP", host_path("QXSPLASH.BMP"), false, true);
    } catch (const ImageFileError&) {
        return false;
    }
    PictureInfo info;
    try {
        info = read_picture_info(picture);
    } catch (const PictureError&) {
        return false;
    }
    if (info.width <= 0 || info.height <= 0) return false;
    splash.picture = std::move(picture);
    splash.size = {info.width, info.height};
    const int left = screen->width / 2 - info.width / 2;
    const int top = screen->height / 2 - info.height / 2;
    // The window is as much taller than the picture as a caption is high, though it has none:
    // the picture fills its top, the window's background the strip below.
    const int title_bar =
        xp_vobj_get_attr(no_xvt_window, static_cast<int32_t>(XvtScreenAttr::title_bar_height));
    XvtWinDef def;
    def.type = static_cast<int32_t>(WindowType::bordered);
    def.client = {left, top, left + info.width, top + info.height + title_bar};
    def.flags = xvt_win_flag::plain;
    splash.window = xp_win_create_def(def, no_xvt_window, splash_handler, 0);
    if (splash.window == no_xvt_window) {
        splash = Splash{};
        return false;
    }
    return true;
}

void dismiss_splash() {
    if (splash.window != no_xvt_window) xp_vobj_destroy(splash.window);
}

} // namespace quillet
