// Rectangles of the layer: set and point tests with the host's convention (right and bottom
// edges outside).
#include "xvt/xvt.h"

namespace quillet {

void xp_rect_set(IntRect* rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!rect) {
        xvt_report_error("xp_rect_set", ErrorCategory::rect, ErrorId::invalid_parameter);
        return;
    }
    *rect = {left, top, right, bottom};
}

bool xp_rect_has_point(const IntRect* rect, IntPoint point) {
    if (!rect) {
        xvt_report_error("xp_rect_has_point", ErrorCategory::rect, ErrorId::invalid_parameter);
        return false;
    }
    return rect->contains(point);
}

} // namespace quillet
