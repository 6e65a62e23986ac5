// Reading JPEG files through libjpeg(-turbo). The library's error exit would end the process; it
// is replaced by one that keeps the message and jumps back to the run_* function that called the
// library. Those functions hold only plain C data, so the jump crosses no C++ object; the C++
// code around them writes the message to the debug log and raises 7104, leaving the decision to
// the program's handler.
#include "graphics/image_files.h"
#include "graphics/jpeg_library.h"
#include "graphics/picture_string.h"
#include "values/debug_log.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>

namespace quillet {

namespace {

struct JpegDecoder {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    bool created;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jump_back(j_common_ptr cinfo) {
    auto* decoder = reinterpret_cast<JpegDecoder*>(cinfo); // cinfo is the first member
    cinfo->err->format_message(cinfo, decoder->message);
    std::longjmp(decoder->jump, 1);
}

// Warnings (a file that ends early, corrupt data the library repairs) go to the debug log; the
// library goes on and so does the picture.
extern "C" void log_warning(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    debug_log("JPEG: %s", text);
}

// A progressive JPEG may repeat its scans without end, and each scan costs a pass over the whole
// image: a file of a few kilobytes could keep the engine busy for minutes. Encoders write about
// ten scans; a file with more than 500 (the limit libjpeg-turbo's own tools use) is refused.
constexpr int most_scans = 500;

extern "C" void limit_scans(j_common_ptr cinfo) {
    auto* decoder = reinterpret_cast<JpegDecoder*>(cinfo);
    if (decoder->cinfo.input_scan_number <= most_scans) return;
    std::snprintf(decoder->message, sizeof decoder->message, "more than %d scans", most_scans);
    std::longjmp(decoder->jump, 1);
}

static_assert(offsetof(JpegDecoder, cinfo) == 0);

bool run_read_header(JpegDecoder& d, const uint8_t* data, size_t size) {
    if (setjmp(d.jump)) return false;
    libjpeg().CreateDecompress(&d.cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    d.created = true;
    d.progress.progress_monitor = limit_scans; // creating the decompressor cleared the field
    d.cinfo.progress = &d.progress;
    libjpeg().mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    libjpeg().read_header(&d.cinfo, TRUE);
    return true;
}

// True colour: blue-green-red rows (grey expanded to three channels by the library). Other
// colour classes: 16 or 256 colours by two-pass quantisation with Floyd-Steinberg dithering. A
// monochrome screen would ask for 2, below the library's least of 8, which it treats as a fatal
// error: it gets 8, and the screen shows them as it shows any colour.
bool run_start(JpegDecoder& d, int color_class) {
    if (setjmp(d.jump)) return false;
    if (color_class == color_class::true_color) {
        d.cinfo.out_color_space = JCS_EXT_BGR;
    } else {
        d.cinfo.quantize_colors = TRUE;
        d.cinfo.desired_number_of_colors =
            color_class == color_class::monochrome                                           ? 8
            : color_class == color_class::colors16 || color_class == color_class::colors16_b ? 16
                                                                                             : 256;
        d.cinfo.two_pass_quantize = TRUE;
        d.cinfo.dither_mode = JDITHER_FS;
    }
    libjpeg().start_decompress(&d.cinfo);
    return true;
}

bool run_read_row(JpegDecoder& d, uint8_t* row) {
    if (setjmp(d.jump)) return false;
    JSAMPROW rows[1] = {row};
    if (libjpeg().read_scanlines(&d.cinfo, rows, 1) == 1) return true;
    std::snprintf(d.message, sizeof d.message, "the image ends before its last row");
    return false;
}

class DecoderGuard {
public:
    explicit DecoderGuard(JpegDecoder& d) : m_d(d) {}
    ~DecoderGuard() {
        if (m_d.created) libjpeg().destroy_decompress(&m_d.cinfo);
    }
    DecoderGuard(const DecoderGuard&) = delete;
    DecoderGuard& operator=(const DecoderGuard&) = delete;

private:
    JpegDecoder& m_d;
};

[[noreturn]] void refuse(const JpegDecoder& d) {
    debug_log("JPEG: %s", d.message);
    throw ImageFileError(image_error::wrong_type, std::string("JPEG: ") + d.message);
}

} // namespace

std::vector<uint8_t> read_jpeg_picture(std::span<const uint8_t> file, int color_class,
                                       RowHook after_row) {
    JpegDecoder d{};
    d.cinfo.err = libjpeg().std_error(&d.errors);
    d.errors.error_exit = jump_back;
    d.errors.output_message = log_warning;
    DecoderGuard guard(d);
    if (!run_read_header(d, file.data(), file.size())) refuse(d);
    const JDIMENSION width = d.cinfo.image_width, height = d.cinfo.image_height;
    // Before the library allocates anything of the image's size.
    check_image_file_size("JPEG", width, height);
    if (!run_start(d, color_class)) refuse(d);

    const bool quantized = d.cinfo.quantize_colors;
    const size_t colors = quantized ? static_cast<size_t>(d.cinfo.actual_number_of_colors) : 0;
    std::vector<uint8_t> picture =
        blank_picture(static_cast<int>(d.cinfo.output_width),
                      static_cast<int>(d.cinfo.output_height), quantized ? 8 : 24, true, colors);
    for (size_t i = 0; i < colors; ++i) {
        uint8_t* entry = picture.data() + picture_prefix_size + 4 * i;
        const bool grey = d.cinfo.out_color_components == 1;
        entry[0] = d.cinfo.colormap[grey ? 0 : 2][i];
        entry[1] = d.cinfo.colormap[grey ? 0 : 1][i];
        entry[2] = d.cinfo.colormap[0][i];
    }
    const PictureInfo info = read_picture_info(picture);
    const size_t stride = info.image_bytes / static_cast<size_t>(std::max(info.height, 1));
    for (size_t y = 0; y < d.cinfo.output_height; ++y) {
        if (!run_read_row(d, picture.data() + info.bits_offset + y * stride)) refuse(d);
        if (after_row) after_row();
    }
    return picture;
}

} // namespace quillet
