// PNG files through libpng. libpng reports errors by longjmp to the setjmp of its structure; the
// functions that call into it (run_*) hold only plain C data, so the jump never crosses a C++
// object, and the C++ code around them turns a failure into ImageFileError.
#include "graphics/image_codecs.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "host/raster/png_library.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace quillet {

namespace {

struct PngInput {
    const uint8_t* data;
    size_t size;
    size_t at;
    char message[200];
};

// Copies from the memory buffer; asking past its end is a libpng error, never a read past it.
extern "C" void read_from_memory(png_structp png, png_bytep out, png_size_t length) {
    auto* in = static_cast<PngInput*>(host::libpng().get_io_ptr(png));
    if (length > in->size - in->at) host::png_fail(png, "the file ends inside the image");
    std::memcpy(out, in->data + in->at, length);
    in->at += length;
}

// Keeps the message and jumps back to the run_* function that set the jump.
extern "C" void keep_error(png_structp png, png_const_charp message) {
    auto* text = static_cast<char*>(host::libpng().get_error_ptr(png));
    std::snprintf(text, 200, "%s", message);
    host::libpng().longjmp(png, 1);
}
extern "C" void ignore_warning(png_structp, png_const_charp) {}

// The header and the transformations that make every PNG 8-bit blue-green-red rows: palettes
// and low-depth grey expanded, grey turned into three channels, 16-bit channels cut to 8, alpha
// composited over the file's background colour or white, gamma 2.2 for the display.
bool run_read_header(png_structp png, png_infop info) {
    if (setjmp(host::png_jump_buffer(png))) return false;
    host::libpng().read_info(png, info);
    host::libpng().set_expand(png);
    host::libpng().set_strip_16(png);
    host::libpng().set_gray_to_rgb(png);
    host::libpng().set_bgr(png);
    png_color_16p file_background = nullptr;
    if (host::libpng().get_bKGD(png, info, &file_background)) {
        host::libpng().set_background(png, file_background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
        png_color_16 white{0, 65535, 65535, 65535, 65535};
        host::libpng().set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    double file_gamma = 0;
    if (!host::libpng().get_gAMA(png, info, &file_gamma)) file_gamma = 0.45455;
    host::libpng().set_gamma(png, 2.2, file_gamma);
    host::libpng().set_interlace_handling(png);
    host::libpng().read_update_info(png, info);
    return true;
}

bool run_read_rows(png_structp png, png_bytepp rows) {
    if (setjmp(host::png_jump_buffer(png))) return false;
    host::libpng().read_image(png, rows);
    host::libpng().read_end(png, nullptr);
    return true;
}

struct PngOutput {
    std::vector<uint8_t>* bytes;
};
// No C++ exception may cross libpng: a failed allocation becomes a libpng error.
extern "C" void write_to_memory(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<PngOutput*>(host::libpng().get_io_ptr(png));
    bool stored = true;
    try {
        out->bytes->insert(out->bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored) host::png_fail(png, "out of memory");
}
extern "C" void flush_nothing(png_structp) {}

bool run_write(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
               png_bytepp rows) {
    if (setjmp(host::png_jump_buffer(png))) return false;
    host::libpng().set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                            PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    host::libpng().write_info(png, info);
    host::libpng().set_bgr(png);
    host::libpng().write_image(png, rows);
    host::libpng().write_end(png, nullptr);
    return true;
}

// The read or write structure and its information structure, destroyed together.
class PngStructs {
public:
    PngStructs(bool reading, char* message) : m_reading(reading) {
        m_png = reading ? host::libpng().create_read_struct(PNG_LIBPNG_VER_STRING, message,
                                                            keep_error, ignore_warning)
                        : host::libpng().create_write_struct(PNG_LIBPNG_VER_STRING, message,
                                                             keep_error, ignore_warning);
        if (m_png) m_info = host::libpng().create_info_struct(m_png);
        if (!m_info) {
            destroy();
            throw ImageFileError(image_error::out_of_memory, "libpng: no structures");
        }
    }
    ~PngStructs() { destroy(); }
    PngStructs(const PngStructs&) = delete;
    PngStructs& operator=(const PngStructs&) = delete;
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    void destroy() {
        if (!m_png) return;
        if (m_reading)
            host::libpng().destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
        else
            host::libpng().destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
    }
    bool m_reading;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

// Whether every chunk up to the end chunk lies within the file. libpng allocates (and clears) a
// text chunk's declared length before it reads it, whatever its chunk limit says, so a 150-byte
// file whose text chunk claims a gigabyte would cost a gigabyte; such a file is cut short anyway.
uint32_t big_endian32(std::span<const uint8_t> file, size_t at) {
    return uint32_t{file[at]} << 24 | uint32_t{file[at + 1]} << 16 | uint32_t{file[at + 2]} << 8 |
           file[at + 3];
}

bool chunks_fit(std::span<const uint8_t> file) {
    size_t at = 8;
    while (file.size() - at >= 12) {
        const uint64_t length = big_endian32(file, at);
        if (length > file.size() - at - 12) return false;
        if (std::memcmp(file.data() + at + 4, "IEND", 4) == 0) return true;
        at += 12 + static_cast<size_t>(length);
    }
    return true; // libpng reports the missing end itself
}

} // namespace

std::vector<uint8_t> read_png_picture(std::span<const uint8_t> file) {
    if (file.size() < 8 || host::libpng().sig_cmp(file.data(), 0, 8) != 0)
        throw ImageFileError(image_error::wrong_type, "no PNG signature");
    if (!chunks_fit(file))
        throw ImageFileError(image_error::wrong_type, "PNG: a chunk runs past the end of the file");
    // The header chunk comes first; its size is checked before libpng sees the file, so that a
    // picture beyond the limits is refused as such (libpng's own side limit would say 7104).
    if (file.size() >= 24 && std::memcmp(file.data() + 12, "IHDR", 4) == 0)
        check_image_file_size("PNG", big_endian32(file, 16), big_endian32(file, 20));
    PngInput input{file.data(), file.size(), 0, {}};
    const PngStructs structs(true, input.message);
    png_structp png = structs.png();
    png_infop info = structs.info();
    host::libpng().set_read_fn(png, &input, read_from_memory);
    host::libpng().set_user_limits(png, max_surface_side, max_surface_side);
    host::libpng().set_chunk_cache_max(png, 1000);
    if (!run_read_header(png, info))
        throw ImageFileError(image_error::wrong_type, std::string("PNG: ") + input.message);
    const png_uint_32 width = host::libpng().get_image_width(png, info);
    const png_uint_32 height = host::libpng().get_image_height(png, info);
    check_image_file_size("PNG", width, height);
    if (host::libpng().get_rowbytes(png, info) != size_t{width} * 3)
        throw ImageFileError(image_error::wrong_type, "PNG: rows are not 8-bit RGB");

    // Read straight into the picture's top-down rows.
    std::vector<uint8_t> picture =
        blank_picture(static_cast<int>(width), static_cast<int>(height), 24, true, 0);
    const size_t rows_at = picture_prefix_size;
    const size_t stride = (size_t{width} * 3 + 3) / 4 * 4;
    std::vector<png_bytep> rows(height);
    for (size_t y = 0; y < height; ++y)
        rows[y] = picture.data() + rows_at + y * stride;
    if (!run_read_rows(png, rows.data()))
        throw ImageFileError(image_error::wrong_type, std::string("PNG: ") + input.message);
    return picture;
}

std::vector<uint8_t> encode_png(const Surface& surface) {
    const size_t width = static_cast<size_t>(surface.width());
    std::vector<uint8_t> bgr(width * 3 * static_cast<size_t>(surface.height()));
    std::vector<png_bytep> rows(static_cast<size_t>(surface.height()));
    for (int y = 0; y < surface.height(); ++y) {
        uint8_t* row = bgr.data() + static_cast<size_t>(y) * width * 3;
        rows[static_cast<size_t>(y)] = row;
        const Color* in = surface.scanline(y);
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = blue_of(in[x]);
            row[3 * x + 1] = green_of(in[x]);
            row[3 * x + 2] = red_of(in[x]);
        }
    }
    char message[200] = "";
    const PngStructs structs(false, message);
    png_structp png = structs.png();
    png_infop info = structs.info();
    std::vector<uint8_t> out;
    PngOutput output{&out};
    host::libpng().set_write_fn(png, &output, write_to_memory, flush_nothing);
    if (!run_write(png, info, static_cast<png_uint_32>(surface.width()),
                   static_cast<png_uint_32>(surface.height()), rows.data()))
        throw ImageFileError(image_error::out_of_memory, std::string("PNG: ") + message);
    return out;
}

} // namespace quillet
