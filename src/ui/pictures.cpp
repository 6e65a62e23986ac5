#include "ui/pictures.h"

#include "host/raster/device_context.h"

#include <array>
#include <cstdint>

namespace quillet {

Rop3 picture_raster_op(int32_t mode) {
    // Mode m is the truth table of (S, D) read as a 4-bit number.
    static constexpr std::array<Rop3, 16> ops = {
        0x000042, 0x8800C6, 0x440328, 0xCC0020, 0x220000, 0xAA0000, 0x660046, 0xEE0086,
        0x1100A6, 0x990000, 0x550009, 0xDD0000, 0x330008, 0xBB0226, 0x770000, 0xFF0062};
    return mode >= 0 && mode < 16 ? ops[static_cast<size_t>(mode)] : rop3::src_copy;
}

PictureFormat screen_picture_format(int color_class, int32_t max_colour) {
    std::vector<Color> palette;
    if (color_class >= color_class::monochrome && color_class < color_class::true_color) {
        if (XvtPalette system = xp_palet_create(2)) {
            palette.resize(static_cast<size_t>(std::max(max_colour, 0)) + 1);
            palette.resize(static_cast<size_t>(xp_palet_get_colors(system, palette)));
            xp_palet_destroy(system);
        }
    }
    return picture_format_for_class(color_class, xvt_scr_get_depth(), std::move(palette));
}

std::vector<uint8_t> keep_window_picture(const DrawingTarget& target, const IntRect& area,
                                         const PictureFormat& format) {
    std::vector<uint8_t> picture;
    bool kept = xvt_dwin_with_device(target.source(), [&](DeviceContext& dc) {
        picture = keep_picture(dc.surface(), area, format);
    });
    if (!kept) picture = keep_picture(Surface(), area, format); // no device: all black
    return picture;
}

void show_picture(const DrawingTarget& target, IntPoint bottom_left, const IntRect& clip,
                  std::span<const uint8_t> picture, int32_t mode) {
    if (picture.empty()) return;
    const Surface pixels = decode_picture(picture);
    // The point comes from the program: a picture that would reach past the 32-bit coordinates
    // lies far outside every surface and draws nothing.
    const int64_t right = int64_t{bottom_left.x} + pixels.width();
    const int64_t bottom = int64_t{bottom_left.y} + 1, top = bottom - pixels.height();
    if (right > INT32_MAX || bottom > INT32_MAX || top < INT32_MIN) return;
    const IntRect dest{bottom_left.x, static_cast<int>(top), static_cast<int>(right),
                       static_cast<int>(bottom)};
    const Rop3 op = picture_raster_op(mode);
    target.each([&](XvtWindow w) {
        IntRect saved;
        xp_dwin_get_clip(w, saved);
        xp_dwin_set_clip(w, &clip);
        xvt_dwin_with_device(w, [&](DeviceContext& dc) { dc.bit_blt(dest, pixels, {0, 0}, op); });
        xp_dwin_set_clip(w, &saved);
    });
}

} // namespace quillet
