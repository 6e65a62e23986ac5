// Clip regions: sets of pixels made of disjoint rectangles, such as a window's update region.
// A rectangle converts to the region of its pixels.
#pragma once

#include "host/raster/geometry.h"

#include <vector>

namespace quillet {

class Region {
public:
    Region() = default;
    Region(IntRect r) { add(r); } // implicit: a rectangle is the region of its pixels

    // Disjoint, non-empty rectangles, in no particular order.
    const std::vector<IntRect>& rects() const { return m_rects; }
    bool is_empty() const { return m_rects.empty(); }
    IntRect bounds() const;
    bool contains(IntPoint p) const;

    Region united(IntRect r) const;
    Region subtracted(IntRect r) const;
    Region intersected(IntRect r) const;

private:
    void add(IntRect r) {
        if (!r.is_empty()) m_rects.push_back(r);
    }
    std::vector<IntRect> m_rects;
};

} // namespace quillet
