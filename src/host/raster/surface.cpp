// Surface allocation with the size checks that keep every later index inside the buffer.
#include "host/raster/surface.h"

#include "host/raster/raster_error.h"

#include <algorithm>
#include <string>

namespace quillet {

Surface::Surface(int width, int height, Color fill) {
    if (width < 0 || height < 0 || width > max_surface_side || height > max_surface_side ||
        int64_t{width} * height > max_surface_pixels)
        throw RasterError(RasterErrorCode::bad_size, "surface size " + std::to_string(width) +
                                                         " x " + std::to_string(height) +
                                                         " is negative or too large");
    m_width = width;
    m_height = height;
    m_fill = fill & color_mask;
}

void Surface::make_pixels() const {
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, m_fill);
}

void Surface::fill(Color c) {
    if (m_pixels.empty())
        m_fill = c & color_mask;
    else
        std::fill(m_pixels.begin(), m_pixels.end(), c & color_mask);
}

bool operator==(const Surface& a, const Surface& b) {
    if (a.m_width != b.m_width || a.m_height != b.m_height) return false;
    if (a.m_width == 0 || a.m_height == 0) return true;
    if (a.m_pixels.empty() && b.m_pixels.empty()) return a.m_fill == b.m_fill;
    return std::ranges::equal(a.pixels(), b.pixels());
}

} // namespace quillet
