// The image file readers (BMP, PNG, JPEG) over arbitrary bytes.
#include "entries.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "png_chunks.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace quillet::fuzz {

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

enum class PictureFileKind { bmp, png, jpeg };

// A picture of a few bytes may declare millions of pixels, which the library then decodes
// (a 240-byte JPEG of 8208 x 2269 pixels took 1.7 s): the targets allow 256 x 256.
constexpr int64_t fuzz_most_pixels = int64_t{1} << 16;

void read_picture_file(PictureFileKind kind, const uint8_t* data, size_t size) {
    image_file_policy.most_pixels = fuzz_most_pixels;
    const std::span<const uint8_t> file(data, size);
    std::vector<uint8_t> picture;
    try {
        switch (kind) {
        case PictureFileKind::bmp: picture = read_bmp_picture(file); break;
        case PictureFileKind::png: picture = read_png_picture(file); break;
        // Both decodings: true colour and quantised.
        case PictureFileKind::jpeg:
            picture = read_jpeg_picture(file, size % 2 ? color_class::colors256
                                                       : color_class::true_color);
            break;
        }
    } catch (const ImageFileError& e) {
        // Every CRC was made right: libpng must get past its check to the chunks themselves.
        if (kind == PictureFileKind::png &&
            std::string(e.what()).find("CRC error") != std::string::npos) {
            std::fprintf(stderr, "%s\n", e.what());
            fail("libpng refused a CRC that was made right");
        }
        return; // refused with an error number: the expected outcome for most inputs
    }
    Surface pixels;
    try {
        pixels = decode_picture(picture);
    } catch (const PictureError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fail("a reader returned a picture that does not decode");
    }
    if (pixels.width() == 0 || pixels.height() == 0) fail("a reader returned an empty picture");
    if (int64_t{pixels.width()} * pixels.height() > 4096) return; // keep the runs fast
    try {
        const std::vector<uint8_t> png = encode_image_file(ImageType::png, picture);
        if (decode_picture(read_png_picture(png)) != pixels)
            fail("a picture written as PNG reads back different");
        const std::vector<uint8_t> bmp = encode_image_file(ImageType::bmp, picture);
        if (decode_picture(read_bmp_picture(bmp)) != pixels)
            fail("a picture written as BMP reads back different");
    } catch (const ImageFileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fail("a picture that a reader returned cannot be written and read back");
    }
}

} // namespace

void read_bmp_file(const uint8_t* data, size_t size) {
    read_picture_file(PictureFileKind::bmp, data, size);
}

void read_png_file(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    make_png_crcs_right(file.data(), file.size());
    read_picture_file(PictureFileKind::png, file.data(), file.size());
}

void read_jpeg_file(const uint8_t* data, size_t size) {
    read_picture_file(PictureFileKind::jpeg, data, size);
}

} // namespace quillet::fuzz
