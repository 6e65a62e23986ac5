// Bifs of image files: READ IMAGE (497) and WRITE IMAGE (498).
#include "bifs/install_bifs.h"
#include "devices/path_mapping.h"
#include "graphics/image_files.h"
#include "graphics/read_image.h"
#include "interp/operands.h"
#include "values/errors.h"
#include "values/strings.h"

namespace quillet {
namespace {

// The operand's text as a NUL-terminated buffer keeps it: up to its first zero byte.
std::string c_text(Addr cell) {
    std::string_view text = str_view(load_u32(cell));
    return std::string(text.substr(0, text.find('\0')));
}

void read_image() {
    const std::string type = c_text(str_operand());
    const Addr picture = str_operand();
    const std::string name = c_text(str_operand());
    std::vector<uint8_t> bytes;
    try {
        // The picture string carries no palette: its first 8 bytes are zero.
        bytes = quillet::read_image(type, host_path(name), false);
    } catch (const ImageFileError& e) {
        raise_error(e.code());
    } catch (const std::bad_alloc&) {
        raise_error(err::out_of_memory);
    }
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) raise_error(err::out_of_memory);
    str_set_bytes(picture, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void write_image() {
    const std::string type = c_text(str_operand());
    const std::string_view picture = str_view(load_u32(str_operand()));
    const std::string name = c_text(str_operand());
    try {
        write_image_file(
            type, std::span(reinterpret_cast<const uint8_t*>(picture.data()), picture.size()),
            host_path(name));
    } catch (const ImageFileError& e) {
        raise_error(e.code());
    } catch (const std::bad_alloc&) {
        raise_error(err::out_of_memory);
    }
}

} // namespace

void install_image_bifs(BifTable& t) {
    t.install(bif::read_image, read_image);
    t.install(bif::write_image, write_image);
}

} // namespace quillet
