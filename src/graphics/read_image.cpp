#include "graphics/read_image.h"

#include <algorithm>
#include <utility>

namespace quillet {

namespace {

constexpr size_t palette_batch = 1024;
constexpr size_t palette_word_at = 4;

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Adds the colours to the palette in batches of up to 1024.
void add_in_batches(XvtPalette palette, std::span<const Color> colours) {
    for (size_t at = 0; at < colours.size(); at += palette_batch)
        xp_palet_set_colors(palette,
                            colours.subspan(at, std::min(palette_batch, colours.size() - at)));
}

// A user palette with the picture's colours: its colour table, or else every pixel's colour in
// the order the rows are stored.
XvtPalette make_palette_of(std::span<const uint8_t> picture) {
    const PictureInfo info = read_picture_info(picture);
    const XvtPalette palette = xp_palet_create(5);
    if (!palette) return 0;
    if (info.colors > 0) {
        std::vector<Color> table;
        table.reserve(info.colors);
        for (size_t i = 0; i < info.colors; ++i) {
            const uint8_t* entry = picture.data() + picture_prefix_size + 4 * i;
            table.push_back(make_color(entry[2], entry[1], entry[0]));
        }
        add_in_batches(palette, table);
        return palette;
    }
    const Surface pixels = decode_picture(picture);
    for (int row = 0; row < pixels.height(); ++row) {
        const int y = info.top_down ? row : pixels.height() - 1 - row;
        add_in_batches(palette, std::span(pixels.scanline(y), static_cast<size_t>(pixels.width())));
    }
    return palette;
}

// A new palette with the colours of another (none when that one is gone).
XvtPalette copy_palette(XvtPalette original) {
    std::vector<Color> colours;
    if (original) {
        colours.resize(static_cast<size_t>(std::max(xp_palet_size(original), 0)));
        colours.resize(static_cast<size_t>(xp_palet_get_colors(original, colours)));
    }
    if (colours.empty()) return 0;
    const XvtPalette palette = xp_palet_create(5);
    if (palette) xp_palet_set_colors(palette, colours);
    return palette;
}

} // namespace

int screen_color_class() {
    if (!xvt_screen_size()) return color_class::true_color;
    return xp_vobj_get_attr(no_xvt_window, static_cast<int32_t>(XvtScreenAttr::display_kind));
}

std::vector<uint8_t> read_image(std::string_view type, const std::string& path, bool want_palette,
                                bool quiet_missing_file) {
    ImageReadOptions options;
    options.color_class = screen_color_class();
    options.quiet_missing_file = quiet_missing_file;
    options.after_row = process_host_messages;
    std::vector<uint8_t> picture = read_image_file(type, path, options);
    if (want_palette && !picture.empty())
        put32(picture.data() + palette_word_at, make_palette_of(picture));
    return picture;
}

ImagePicture ImagePicture::of_string(std::vector<uint8_t> picture) {
    ImagePicture p;
    p.m_bytes = std::move(picture);
    return p;
}

ImagePicture ImagePicture::of_image_file(std::vector<uint8_t> picture) {
    ImagePicture p;
    p.m_bytes = std::move(picture);
    p.m_palette_word = !p.m_bytes.empty();
    return p;
}

ImagePicture::ImagePicture(const ImagePicture& other)
    : m_bytes(other.m_bytes), m_palette_word(other.m_palette_word) {
    if (m_palette_word) put32(m_bytes.data() + palette_word_at, copy_palette(other.palette()));
}

ImagePicture& ImagePicture::operator=(const ImagePicture& other) {
    if (this != &other) *this = ImagePicture(other);
    return *this;
}

ImagePicture::ImagePicture(ImagePicture&& other) noexcept
    : m_bytes(std::move(other.m_bytes)),
      m_palette_word(std::exchange(other.m_palette_word, false)) {
    other.m_bytes.clear();
}

ImagePicture& ImagePicture::operator=(ImagePicture&& other) noexcept {
    if (this != &other) {
        if (XvtPalette own = palette()) xvt_palet_release(own);
        m_bytes = std::move(other.m_bytes);
        m_palette_word = std::exchange(other.m_palette_word, false);
        other.m_bytes.clear();
    }
    return *this;
}

ImagePicture::~ImagePicture() {
    if (XvtPalette own = palette()) xvt_palet_release(own);
}

XvtPalette ImagePicture::palette() const {
    return m_palette_word ? u32(m_bytes, palette_word_at) : 0;
}

std::vector<uint8_t> ImagePicture::picture_string() const {
    std::vector<uint8_t> picture = m_bytes;
    if (m_palette_word) put32(picture.data() + palette_word_at, 0);
    return picture;
}

PictureInfo ImagePicture::info() const {
    return read_picture_info(m_bytes, m_palette_word ? SecondWord::palette : SecondWord::layout);
}

Surface ImagePicture::decode() const {
    return decode_picture(m_bytes, m_palette_word ? SecondWord::palette : SecondWord::layout);
}

} // namespace quillet
