// Integer points, sizes and rectangles of the raster. Rectangles exclude their right and bottom
// edges: (0, 0, 100, 50) covers 100 x 50 pixels. Coordinates are plain 32-bit values as a program
// hands them down; every operation that combines them works in 64 bits, so no value overflows.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quillet {

struct IntPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(IntPoint, IntPoint) = default;
};

struct IntSize {
    int width = 0;
    int height = 0;
    friend bool operator==(IntSize, IntSize) = default;
};

struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static IntRect from_size(int width, int height) { return {0, 0, width, height}; }

    int64_t width() const { return int64_t{right} - left; }
    int64_t height() const { return int64_t{bottom} - top; }
    bool is_empty() const { return right <= left || bottom <= top; }
    bool contains(IntPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // The same rectangle with left <= right and top <= bottom.
    IntRect normalized() const {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
    }
    // The common part; empty rectangles come back as (0, 0, 0, 0).
    IntRect intersected(const IntRect& o) const {
        IntRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                  std::min(bottom, o.bottom)};
        return r.is_empty() ? IntRect{} : r;
    }
    friend bool operator==(const IntRect&, const IntRect&) = default;
};

} // namespace quillet
