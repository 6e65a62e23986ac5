// Rows of rounded figures and the outline a pen gives them.
#include "host/raster/rounded_shapes.h"

#include <algorithm>

namespace quillet::paint {

bool shape_row(const RoundedShape& s, int y, int64_t& first, int64_t& last) {
    const double yc = y + 0.5;
    if (s.right <= s.left || s.bottom <= s.top || yc < s.top || yc > s.bottom) return false;
    double inset = 0;
    if (s.ry > 0 && s.rx > 0) {
        double dy = 0;
        if (yc < s.top + s.ry)
            dy = s.top + s.ry - yc;
        else if (yc > s.bottom - s.ry)
            dy = yc - (s.bottom - s.ry);
        if (dy > 0) {
            const double t = dy / s.ry;
            inset = s.rx - s.rx * std::sqrt(std::max(0.0, 1.0 - t * t));
        }
    }
    // A pixel is inside when |centre - middle| <= half the row's extent; the small tolerance keeps
    // pixels exactly on the boundary inside whatever the rounding.
    const double x0 = s.left + inset - 1e-9, x1 = s.right - inset + 1e-9;
    if (x1 < x0) return false;
    first = static_cast<int64_t>(std::ceil(x0 - 0.5));
    last = static_cast<int64_t>(std::floor(x1 - 0.5));
    return first <= last;
}

ShapeOutline outline_of(const IntRect& box, double rx, double ry, const Pen& pen) {
    const RoundedShape plain{
        double(box.left), double(box.top), double(box.right), double(box.bottom), rx, ry};
    if (pen.style == PenStyle::none) return {plain, plain};
    const int w = pen_width(pen);
    const double before = w / 2, after = (w - 1) / 2;
    RoundedShape outer{
        plain.left - before, plain.top - before, plain.right + after, plain.bottom + after, 0, 0};
    if (rx > 0 && ry > 0) {
        outer.rx = rx + (w - 1) / 2.0;
        outer.ry = ry + (w - 1) / 2.0;
    }
    RoundedShape inner{outer.left + w,
                       outer.top + w,
                       outer.right - w,
                       outer.bottom - w,
                       std::max(0.0, outer.rx - w),
                       std::max(0.0, outer.ry - w)};
    return {outer, inner};
}

} // namespace quillet::paint
