#include "ui/objects/user_units.h"

#include "ui/drawing.h"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

// (v - from) / (to - from) of `pixels - 1`; an empty range maps everything to 0.
int16_t scale(double v, double from, double to, int32_t pixels) {
    double span = to - from;
    if (span == 0 || !std::isfinite(v)) return 0;
    double p = std::round((v - from) / span * (pixels - 1));
    if (!std::isfinite(p)) return p > 0 ? INT16_MAX : INT16_MIN;
    return narrow16(static_cast<int64_t>(std::clamp(p, -1e9, 1e9)));
}

} // namespace

IntPoint user_to_pixel(const WindowRecord& w, double x, double y) {
    const UserRect& u = w.user_rect;
    return {scale(x, u.left, u.right, w.pixel_width), scale(y, u.top, u.bottom, w.pixel_height)};
}

int32_t user_distance_x(const WindowRecord& w, double dx) {
    const UserRect& u = w.user_rect;
    return scale(u.left + dx, u.left, u.right, w.pixel_width);
}

int32_t user_distance_y(const WindowRecord& w, double dy) {
    const UserRect& u = w.user_rect;
    return scale(u.bottom + dy, u.bottom, u.top, w.pixel_height);
}

} // namespace quillet
