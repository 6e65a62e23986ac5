// Rectangles, round rectangles and ellipses as one kind of figure: a box with elliptic corners
// (radii 0 for a rectangle, half the box for an ellipse). A pixel belongs to a figure when its
// centre lies inside; the pen's outline is the ring between the outer figure and the inner one
// that the brush fills.
#pragma once

#include "host/raster/paint_internals.h"

#include <cmath>

namespace quillet::paint {

struct RoundedShape {
    double left, top, right, bottom, rx, ry;
};

// The inclusive range of pixels of row y whose centres lie inside the shape.
bool shape_row(const RoundedShape& s, int y, int64_t& first, int64_t& last);

struct ShapeOutline {
    RoundedShape outer;
    RoundedShape inner; // the same as outer when there is no pen
};

// The figure of a normalized box with corner radii, drawn with the pen (or without one).
ShapeOutline outline_of(const IntRect& box, double rx, double ry, const Pen& pen);

inline IntRect shape_bounds(const RoundedShape& s, const IntRect& clip) {
    return clip_bounds(static_cast<int64_t>(std::floor(s.left)),
                       static_cast<int64_t>(std::floor(s.top)),
                       static_cast<int64_t>(std::ceil(s.right)) + 1,
                       static_cast<int64_t>(std::ceil(s.bottom)) + 1, clip);
}

// Marks the ring with outline_kind(x, y) and the inside with fill_kind(x, y).
template <typename OutlineKind, typename FillKind>
void mark_shape(Coverage& cov, const ShapeOutline& shape, OutlineKind outline_kind,
                FillKind fill_kind) {
    const IntRect& b = cov.bounds();
    for (int y = b.top; y < b.bottom; ++y) {
        int64_t of, ol, in_f = 1, in_l = 0;
        if (!shape_row(shape.outer, y, of, ol)) continue;
        if (!shape_row(shape.inner, y, in_f, in_l)) in_f = ol + 1, in_l = ol;
        of = std::max<int64_t>(of, b.left);
        ol = std::min<int64_t>(ol, int64_t{b.right} - 1);
        for (int64_t x = of; x <= ol; ++x) {
            const int xi = static_cast<int>(x);
            const bool inside = x >= in_f && x <= in_l;
            cov.mark(xi, y, inside ? fill_kind(xi, y) : outline_kind(xi, y));
        }
    }
}

} // namespace quillet::paint
