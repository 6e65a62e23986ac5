// Image files read for the engine's screen: READ IMAGE (bif 497), image objects and the splash
// picture all read through read_image, which decodes for the screen the windowing layer reports,
// keeps the windows alive during long decodes, and can give a picture a palette of the layer.
// ImagePicture holds such a picture together with its palette.
#pragma once

#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "xvt/xvt.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The screen's colour class, as the windowing layer reports it (screen attribute 10); true
// colour when no window system runs.
int screen_color_class();

// The file (a host path) read as the named type (empty: detected from its first bytes) by
// read_image_file, with the screen's colour class (a JPEG is quantised on a palette screen) and
// host messages pumped after every row a JPEG decodes. With want_palette, the picture brings a
// user palette of the layer (kind 5) filled with its colours, in batches of up to 1024: the
// colour table's, or every pixel's in row order for a picture without one. The palette's handle
// is the picture's second word (0 when the layer could make none), and the caller owns it
// (ImagePicture takes it over). Throws ImageFileError.
std::vector<uint8_t> read_image(std::string_view type, const std::string& path, bool want_palette,
                                bool quiet_missing_file = false);

// A picture held for drawing by an image object: a program's picture string, or a picture that
// read_image returned, whose palette (handle in the second word) it owns. The palette goes with
// the picture; a copy of the picture gets a palette of its own with the same colours.
class ImagePicture {
public:
    ImagePicture() = default;
    // A picture string as the program gave it; it carries no palette.
    static ImagePicture of_string(std::vector<uint8_t> picture);
    // What read_image returned.
    static ImagePicture of_image_file(std::vector<uint8_t> picture);

    ImagePicture(const ImagePicture& other);
    ImagePicture& operator=(const ImagePicture& other);
    ImagePicture(ImagePicture&& other) noexcept;
    ImagePicture& operator=(ImagePicture&& other) noexcept;
    ~ImagePicture();

    bool empty() const { return m_bytes.empty(); }
    // The layer palette made for the picture; 0 for none.
    XvtPalette palette() const;
    // The picture string a program sees: the palette's word is zero there.
    std::vector<uint8_t> picture_string() const;
    // As read_picture_info and decode_picture (PictureError for a malformed picture).
    PictureInfo info() const;
    Surface decode() const;

private:
    std::vector<uint8_t> m_bytes;
    bool m_palette_word = false; // the second word is a palette handle
};

} // namespace quillet
