// Region operations on lists of disjoint rectangles: a subtraction cuts each rectangle into at
// most four pieces around the removed one, and a union adds what the region lacks.
#include "host/raster/region.h"

namespace quillet {

IntRect Region::bounds() const {
    if (m_rects.empty()) return {};
    IntRect b = m_rects.front();
    for (const IntRect& r : m_rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool Region::contains(IntPoint p) const {
    for (const IntRect& r : m_rects)
        if (r.contains(p)) return true;
    return false;
}

Region Region::subtracted(IntRect cut) const {
    if (cut.is_empty()) return *this;
    Region out;
    for (const IntRect& r : m_rects) {
        const IntRect common = r.intersected(cut);
        if (common.is_empty()) {
            out.m_rects.push_back(r);
            continue;
        }
        out.add({r.left, r.top, r.right, common.top});               // above
        out.add({r.left, common.bottom, r.right, r.bottom});         // below
        out.add({r.left, common.top, common.left, common.bottom});   // left
        out.add({common.right, common.top, r.right, common.bottom}); // right
    }
    return out;
}

Region Region::united(IntRect r) const {
    Region out = subtracted(r);
    out.add(r);
    return out;
}

Region Region::intersected(IntRect r) const {
    Region out;
    for (const IntRect& own : m_rects)
        out.add(own.intersected(r));
    return out;
}

} // namespace quillet
