// PNG files through libpng's simplified interface.
#include "host/raster/png_file.h"

#include "host/raster/png_library.h"
#include "host/raster/raster_error.h"

#include <vector>

namespace quillet {

void write_png(const Surface& surface, const std::string& path) {
    std::vector<uint8_t> rgb(static_cast<size_t>(surface.width()) * surface.height() * 3);
    size_t at = 0;
    for (Color c : surface.pixels()) {
        rgb[at++] = red_of(c);
        rgb[at++] = green_of(c);
        rgb[at++] = blue_of(c);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_RGB;
    if (!host::libpng().image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr))
        throw RasterError(RasterErrorCode::file, "cannot write " + path + ": " + image.message);
}

Surface read_png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!host::libpng().image_begin_read_from_file(&image, path.c_str()))
        throw RasterError(RasterErrorCode::file, "cannot read " + path + ": " + image.message);
    if (image.width > static_cast<png_uint_32>(max_surface_side) ||
        image.height > static_cast<png_uint_32>(max_surface_side)) {
        host::libpng().image_free(&image);
        throw RasterError(RasterErrorCode::file, path + " is too large");
    }
    image.format = PNG_FORMAT_RGB;
    Surface surface(static_cast<int>(image.width), static_cast<int>(image.height));
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!host::libpng().image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        throw RasterError(RasterErrorCode::file, "cannot read " + path + ": " + image.message);
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * surface.width() + x) * 3;
            surface.set_pixel(x, y, make_color(p[0], p[1], p[2]));
        }
    return surface;
}

} // namespace quillet
