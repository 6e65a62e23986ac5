// Reading BMP files. The file header's size and pixel offset and the information header's width,
// height, depth, compression and colour count all come from the file, so each is checked against
// the file's real length before anything is copied; a malformed file is 7104.
#include "graphics/image_files.h"
#include "graphics/picture_string.h"

#include <cstdlib>
#include <cstring>

namespace quillet {

namespace {

constexpr size_t file_header_size = 14;
constexpr size_t info_header_size = 40;

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

[[noreturn]] void malformed(const std::string& why) {
    throw ImageFileError(image_error::wrong_type, "malformed BMP file: " + why);
}

} // namespace

std::vector<uint8_t> read_bmp_picture(std::span<const uint8_t> file) {
    if (file.size() < file_header_size + info_header_size) malformed("too short for its headers");
    if (file[0] != 'B' || file[1] != 'M') malformed("no \"BM\" signature");
    const uint64_t size_field = u32(file, 2);
    const uint64_t pixel_offset = u32(file, 10);
    const uint64_t header_size = u32(file, 14);
    // The 40-byte header and its later, longer versions; the 12-byte OS/2 header is not read.
    if (header_size < info_header_size || file_header_size + header_size > file.size())
        malformed("information header of " + std::to_string(header_size) + " bytes");
    const auto width = static_cast<int32_t>(u32(file, 18));
    const auto height = static_cast<int32_t>(u32(file, 22));
    const int bits = file[28] | file[29] << 8;
    const uint32_t compression = u32(file, 30);
    const uint32_t colors_used = u32(file, 46);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        malformed(std::to_string(bits) + " bits per pixel are not read");
    if (compression != 0) malformed("compression " + std::to_string(compression) + " is not read");
    // The most negative height has no absolute value: refused with the other absurd sizes.
    if (width <= 0 || height == 0 || height == INT32_MIN)
        malformed("size " + std::to_string(width) + " x " + std::to_string(height));
    const int64_t rows = std::abs(int64_t{height});
    check_image_file_size("BMP", width, rows);
    if (bits <= 8 && colors_used > (1u << bits))
        malformed(std::to_string(colors_used) + " colours for " + std::to_string(bits) + " bits");
    const uint64_t colors = colors_used ? colors_used : (bits <= 8 ? 1u << bits : 0);
    const uint64_t table_at = file_header_size + header_size;
    const uint64_t table_bytes = colors * 4;
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    const uint64_t image_bytes = stride * static_cast<uint64_t>(rows);
    if (table_at + table_bytes > pixel_offset)
        malformed("the colour table runs into the pixels at " + std::to_string(pixel_offset));
    if (pixel_offset + image_bytes > file.size())
        malformed("the pixels end at " + std::to_string(pixel_offset + image_bytes) +
                  ", the file has " + std::to_string(file.size()) + " bytes");
    // Writers that leave the size field 0 are common; a size beyond the file means it was cut.
    if (size_field != 0 && size_field > file.size())
        malformed("its size field says " + std::to_string(size_field) + " bytes, the file has " +
                  std::to_string(file.size()));

    std::vector<uint8_t> picture =
        blank_picture(width, static_cast<int>(rows), bits, height < 0, static_cast<size_t>(colors));
    std::memcpy(picture.data() + picture_prefix_size, file.data() + table_at, table_bytes);
    std::memcpy(picture.data() + picture_prefix_size + table_bytes, file.data() + pixel_offset,
                image_bytes);
    return picture;
}

} // namespace quillet
