// A surface: width x height pixels of 0x00RRGGBB, row-major and top-down, with no padding.
// Memory surfaces may have any size from 0 x 0 up to the limits below; a larger or negative size
// is refused with RasterError, never wrapped around.
//
// The pixel memory is made at the first access to the pixels: a surface that is only created and
// filled whole (a hidden window, a backing picture never drawn in) costs no memory and no writes.
// Like the rest of the raster layer, a surface is used from one thread.
#pragma once

#include "host/raster/color.h"
#include "host/raster/geometry.h"

#include <span>
#include <vector>

namespace quillet {

inline constexpr int max_surface_side = 32767;
inline constexpr int64_t max_surface_pixels = int64_t{1} << 26;
// The largest side of a square surface. Window client areas, controls, dialogs and headless
// screens are held to it on each side, so that each of them is a valid surface.
inline constexpr int max_square_surface_side = 8192;
static_assert(int64_t{max_square_surface_side} * max_square_surface_side == max_surface_pixels);

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Color fill = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    IntRect rect() const { return IntRect::from_size(m_width, m_height); }
    bool contains(IntPoint p) const { return rect().contains(p); }

    // Callers check bounds first (contains, or a rectangle clipped to rect()).
    Color* scanline(int y) { return pixel_data() + static_cast<size_t>(y) * m_width; }
    const Color* scanline(int y) const { return pixel_data() + static_cast<size_t>(y) * m_width; }
    Color pixel(int x, int y) const { return scanline(y)[x]; }
    void set_pixel(int x, int y, Color c) { scanline(y)[x] = c & color_mask; }

    std::span<const Color> pixels() const {
        return {pixel_data(), static_cast<size_t>(m_width) * m_height};
    }
    void fill(Color c);

    friend bool operator==(const Surface& a, const Surface& b);

private:
    Color* pixel_data() const {
        if (m_pixels.empty()) make_pixels();
        return m_pixels.data();
    }
    void make_pixels() const;

    int m_width = 0;
    int m_height = 0;
    Color m_fill = 0;                    // every pixel while m_pixels is not yet made
    mutable std::vector<Color> m_pixels; // empty until the first access
};

} // namespace quillet
