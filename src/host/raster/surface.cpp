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
    m_pixels.assign(static_cast<size_t>(width) * height, fill & color_mask);
}

void Surface::fill(Color c) {
    std::fill(m_pixels.begin(), m_pixels.end(), c & color_mask);
}

} // namespace quillet
