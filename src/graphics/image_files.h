// Image files: BMP, PNG and JPEG files read into picture strings (graphics/picture_string.h), and
// pictures written as BMP or PNG files. The readers work on the file's bytes in memory, so that
// each is fuzzed and tested without a file; files are read whole, up to max_image_file_bytes.
//
// Every failure is an ImageFileError carrying the error number the bifs raise:
//   7104 wrong type of file: unknown type name, undetectable or malformed file, unsupported depth
//   9003 no such file (reading), 9002 trouble using disk (writing)
//   5000 out of memory: a picture larger than image_file_policy allows (by default the raster's
//        limits: 32767 on a side, 2^26 pixels), refused from the file's header before anything
//        of the picture's size is allocated
#pragma once

#include "host/raster/surface.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

namespace image_error {
inline constexpr int32_t out_of_memory = 5000;
inline constexpr int32_t wrong_type = 7104;
inline constexpr int32_t cannot_write = 9002;
inline constexpr int32_t no_such_file = 9003;
} // namespace image_error

class ImageFileError : public std::runtime_error {
public:
    ImageFileError(int32_t code, const std::string& message)
        : std::runtime_error(message), m_code(code) {}
    int32_t code() const { return m_code; }

private:
    int32_t m_code;
};

inline constexpr size_t max_image_file_bytes = size_t{256} << 20;

// The largest picture an image file may declare: at most most_pixels pixels (and 32767 on a
// side). The default is the raster's limit, 2^26 pixels (a 24-bit picture of 192 MiB); the host
// chooses it on purpose and no reset touches it. The fuzz targets lower it, as they cap the
// engine's heap, so that a file of a few bytes declaring millions of pixels costs little.
struct ImageFilePolicy {
    int64_t most_pixels = max_surface_pixels;
};
inline constinit ImageFilePolicy image_file_policy;

// Refuses a picture of width x height from a file of the given kind ("BMP", "PNG", "JPEG") with
// 5000 when the raster or image_file_policy does not allow it; the refusal's message says
// which limit and goes to the debug log too.
void check_image_file_size(const char* kind, int64_t width, int64_t height);

enum class ImageType { bmp, png, jpeg };

// "MS BMP", "PNG" or "JPEG" without regard to case; none for any other name.
std::optional<ImageType> image_type_from_name(std::string_view name);

// From the first bytes of a file (any number of them; a short file simply matches less): "BM" at
// 0, "JFIF" at 6, or the PNG signature. None when nothing matches.
std::optional<ImageType> detect_image_type(std::span<const uint8_t> first_bytes);

// The readers. Each returns a picture string (first 8 bytes zero).
// BMP: 1, 4, 8 and 24 bits uncompressed, bottom-up or top-down; the picture keeps the file's
// rows and colour table, under a 40-byte information header.
std::vector<uint8_t> read_bmp_picture(std::span<const uint8_t> file);
// PNG: every colour type and depth becomes a 24-bit picture with top-down rows; alpha is
// composited over the file's background colour, else white.
std::vector<uint8_t> read_png_picture(std::span<const uint8_t> file);
// JPEG: 24 bits with top-down rows on a true-colour screen (colour class 5); on other classes
// quantised to 8 (monochrome: the library's least), 16 or 256 colours as an 8-bit picture.
// after_row runs after each decoded row (the engine keeps its windows alive there); may be empty.
using RowHook = void (*)();
std::vector<uint8_t> read_jpeg_picture(std::span<const uint8_t> file, int color_class,
                                       RowHook after_row = nullptr);

struct ImageReadOptions {
    int color_class = 5;             // the screen's colour class, for JPEG
    bool quiet_missing_file = false; // a file that cannot be opened gives the empty picture
    RowHook after_row = nullptr;
};

// READ IMAGE: the file (a host path) read as the named type; an empty type detects it from the
// file's first 16 bytes.
std::vector<uint8_t> read_image_file(std::string_view type, const std::string& path,
                                     const ImageReadOptions& options = {});

// The file's bytes of a picture, as WRITE IMAGE writes them. BMP: a picture of 1, 4, 8 or 24
// bits is written as it stands after a 14-byte file header; other pictures (16 and 32 bits, the
// older layout) as 24 bits, so that every BMP written can be read back. PNG: 8-bit RGB, top row
// first, from every depth (1-bit pictures through their colour table).
std::vector<uint8_t> encode_image_file(ImageType type, std::span<const uint8_t> picture);

// WRITE IMAGE: checks the type and the picture before the file is opened, so that an unknown
// type or a malformed picture leaves an existing file alone.
void write_image_file(std::string_view type, std::span<const uint8_t> picture,
                      const std::string& path);

} // namespace quillet
