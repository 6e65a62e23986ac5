// Bif 509: text and pictures between a program and the clipboard.
#include "bifs/install_bifs.h"
#include "devices/clipboard_bridge.h"
#include "graphics/clipboard_picture.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "interp/operands.h"
#include "values/errors.h"
#include "values/strings.h"

namespace quillet {
namespace {

std::span<const uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Another program's PNG file as a picture string; empty when there is none or it cannot be
// read.
std::vector<uint8_t> picture_of_desktop() {
    const std::vector<uint8_t> png = clipboard_get_desktop_png();
    if (png.empty()) return {};
    try {
        return read_png_picture(png);
    } catch (const ImageFileError&) {
        return {};
    }
}

void get_picture(Addr data) {
    std::vector<uint8_t> picture;
    if (std::optional<std::vector<uint8_t>> bitmap = clipboard_get_bitmap()) {
        try {
            picture = picture_of_clipboard_bitmap(*bitmap);
        } catch (const PictureError&) {
            return; // a bitmap we cannot read is no picture either
        }
    } else {
        picture = picture_of_desktop();
    }
    if (picture.empty()) return; // no picture: data keeps its value
    if (picture.size() > static_cast<size_t>(INT32_MAX)) raise_error(err::out_of_memory);
    str_set_bytes(data, picture.data(), static_cast<int32_t>(picture.size()));
}

void put_picture(std::string_view picture) {
    std::vector<uint8_t> bitmap;
    try {
        bitmap = clipboard_bitmap_of_picture(bytes_of(picture));
    } catch (const PictureError&) {
        raise_error(err::clipboard_invalid_type); // the data is not a picture
    } catch (const std::bad_alloc&) {
        raise_error(err::out_of_memory);
    }
    if (bitmap.empty()) return;
    std::vector<uint8_t> png;
    if (clipboard_shares_pictures()) {
        try {
            png = encode_image_file(ImageType::png, bytes_of(picture));
        } catch (const ImageFileError&) {
            png.clear(); // other programs then see no picture; this program still gets it back
        }
    }
    clipboard_put_bitmap(std::move(bitmap), std::move(png));
}

void clipboard_call() {
    const std::string_view operation = str_view(load_u32(str_operand()));
    const std::string_view type = str_view(load_u32(str_operand()));
    const Addr data = str_operand();
    const bool get = operation == "get" || operation == "GET";
    if (!get && operation != "put" && operation != "PUT")
        raise_error(err::clipboard_invalid_option);
    const bool text = type.empty() || type == "text" || type == "TEXT";
    if (!text && type != "pict" && type != "PICT") raise_error(err::clipboard_invalid_type);
    if (text && get) return str_set(data, clipboard_get_text());
    if (text) return clipboard_put_text(str_view(load_u32(data)));
    if (get) return get_picture(data);
    put_picture(str_view(load_u32(data)));
}

} // namespace

void install_clipboard_bifs(BifTable& t) {
    t.install(bif::clipboard_call, clipboard_call);
}

} // namespace quillet
