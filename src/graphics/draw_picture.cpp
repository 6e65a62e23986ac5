#include "graphics/draw_picture.h"

#include "graphics/picture_string.h"
#include "host/raster/raster_ops.h"
#include "values/debug_log.h"

#include <algorithm>

namespace quillet {

bool draw_picture(XvtWindow window, std::span<const uint8_t> picture, const IntRect& inclusive) {
    Surface pixels;
    try {
        pixels = decode_picture(picture);
    } catch (const PictureError& e) {
        debug_log("draw_picture: %s", e.what());
        return false;
    }
    if (pixels.width() == 0 || pixels.height() == 0) return false;
    const IntRect r = inclusive.normalized();
    const IntRect dest{r.left, r.top,
                       static_cast<int>(std::min<int64_t>(int64_t{r.right} + 1, INT32_MAX)),
                       static_cast<int>(std::min<int64_t>(int64_t{r.bottom} + 1, INT32_MAX))};
    xp_dwin_draw_picture(window, pixels, dest, pixels.rect(), rop3::src_copy);
    return true;
}

} // namespace quillet
