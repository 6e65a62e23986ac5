// Image files by type name: detection, reading a file whole and handing it to its reader, and
// writing a picture as BMP or PNG.
#include "graphics/image_files.h"

#include "graphics/image_codecs.h"
#include "graphics/picture_string.h"
#include "values/debug_log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace quillet {

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

ImageType type_or_refuse(std::string_view name) {
    if (auto type = image_type_from_name(name)) return *type;
    throw ImageFileError(image_error::wrong_type,
                         "unknown image type \"" + std::string(name) + "\"");
}

// The whole file, up to max_image_file_bytes (beyond that: 5000, nothing is read).
std::vector<uint8_t> read_whole(FILE* f, const std::string& path) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        throw ImageFileError(image_error::wrong_type, path + " cannot be measured");
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        throw ImageFileError(image_error::wrong_type, path + " cannot be measured");
    if (static_cast<unsigned long>(size) > max_image_file_bytes)
        throw ImageFileError(image_error::out_of_memory, path + " is too large to read");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    return bytes;
}

void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file: the 14-byte file header, then the picture from its information header on.
std::vector<uint8_t> encode_bmp(std::span<const uint8_t> picture, const PictureInfo& info) {
    const std::span<const uint8_t> bitmap = picture.subspan(
        picture_header_size, info.bits_offset + info.image_bytes - picture_header_size);
    const size_t header_and_table = info.bits_offset - picture_header_size;
    std::vector<uint8_t> file(14 + bitmap.size());
    file[0] = 'B';
    file[1] = 'M';
    put32(file.data() + 2, static_cast<uint32_t>(file.size()));
    put32(file.data() + 10, static_cast<uint32_t>(14 + header_and_table));
    std::copy(bitmap.begin(), bitmap.end(), file.begin() + 14);
    // A bits-per-pixel field of 0 was read as 24; so it is written.
    if (file[14 + 14] == 0 && file[14 + 15] == 0) file[14 + 14] = 24;
    return file;
}

} // namespace

void check_image_file_size(const char* kind, int64_t width, int64_t height) {
    if (picture_size_allowed(width, height) && width * height <= image_file_policy.most_pixels)
        return;
    const std::string message =
        std::string("a ") + kind + " of " + std::to_string(width) + " x " +
        std::to_string(height) + " pixels is larger than an image file may hold (" +
        std::to_string(std::min(image_file_policy.most_pixels, max_surface_pixels)) +
        " pixels, " + std::to_string(max_surface_side) + " on a side)";
    debug_log("image file: %s", message.c_str());
    throw ImageFileError(image_error::out_of_memory, message);
}

std::optional<ImageType> image_type_from_name(std::string_view name) {
    if (equal_ignoring_case(name, "MS BMP")) return ImageType::bmp;
    if (equal_ignoring_case(name, "PNG")) return ImageType::png;
    if (equal_ignoring_case(name, "JPEG")) return ImageType::jpeg;
    return std::nullopt;
}

std::optional<ImageType> detect_image_type(std::span<const uint8_t> b) {
    static constexpr std::array<uint8_t, 8> png_signature = {0x89, 'P',  'N',  'G',
                                                             '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ImageType::bmp;
    if (b.size() >= 10 && std::memcmp(b.data() + 6, "JFIF", 4) == 0) return ImageType::jpeg;
    if (b.size() >= 8 && std::equal(png_signature.begin(), png_signature.end(), b.begin()))
        return ImageType::png;
    return std::nullopt;
}

std::vector<uint8_t> read_image_file(std::string_view type_name, const std::string& path,
                                     const ImageReadOptions& options) {
    std::optional<ImageType> type;
    if (!type_name.empty()) type = type_or_refuse(type_name);
    File f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) {
        if (options.quiet_missing_file) return {};
        throw ImageFileError(image_error::no_such_file, path + ": " + std::strerror(errno));
    }
    std::vector<uint8_t> bytes = read_whole(f.get(), path);
    f.reset();
    if (!type) {
        type = detect_image_type(std::span(bytes).first(std::min<size_t>(bytes.size(), 16)));
        if (!type) throw ImageFileError(image_error::wrong_type, path + ": no known image type");
    }
    switch (*type) {
    case ImageType::bmp: return read_bmp_picture(bytes);
    case ImageType::png: return read_png_picture(bytes);
    case ImageType::jpeg: return read_jpeg_picture(bytes, options.color_class, options.after_row);
    }
    return {};
}

std::vector<uint8_t> encode_image_file(ImageType type, std::span<const uint8_t> picture) {
    PictureInfo info;
    Surface pixels;
    try {
        info = read_picture_info(picture);
        if (info.layout == PictureLayout::empty)
            throw PictureError("an empty picture has no pixels to write");
        if (type == ImageType::bmp && info.layout == PictureLayout::current &&
            (info.bits_per_pixel <= 8 || info.bits_per_pixel == 24) &&
            picture[picture_header_size + 16] == 0) // uncompressed
            return encode_bmp(picture, info);
        pixels = decode_picture(picture);
    } catch (const PictureError& e) {
        throw ImageFileError(image_error::wrong_type, std::string("bad picture: ") + e.what());
    }
    if (type == ImageType::png) return encode_png(pixels);
    if (type == ImageType::bmp) {
        const std::vector<uint8_t> converted = encode_picture(pixels, {24, {}});
        return encode_bmp(converted, read_picture_info(converted));
    }
    throw ImageFileError(image_error::wrong_type, "JPEG files are not written");
}

void write_image_file(std::string_view type_name, std::span<const uint8_t> picture,
                      const std::string& path) {
    const std::vector<uint8_t> bytes = encode_image_file(type_or_refuse(type_name), picture);
    File f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) throw ImageFileError(image_error::cannot_write, path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    if (!written || std::fclose(f.release()) != 0)
        throw ImageFileError(image_error::cannot_write, path + ": the file was not written whole");
}

} // namespace quillet
