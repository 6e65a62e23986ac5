// What a device context draws text with: a font's metrics and its one-bit glyphs, one per byte
// of the Windows-1252 code page. The text layer (text/fonts.h) provides fonts through FreeType;
// the raster layer only draws what they render.
#pragma once

#include "host/raster/geometry.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillet {

struct FontMetrics {
    int height = 0; // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internal_leading = 0; // height - character height
    int external_leading = 0; // recommended extra space between lines
    int average_char_width = 0;
    int max_char_width = 0;
    int weight = 400; // as requested (synthesized when the face lacks it)
    bool italic = false;
};

// One rendered character: coverage is width x height bytes, 1 where the glyph sets a pixel.
// left and top place the bitmap relative to the pen position on the baseline (top upwards).
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

class GlyphFont {
public:
    virtual ~GlyphFont() = default;

    virtual const FontMetrics& metrics() const = 0;
    virtual const Glyph& glyph(uint8_t c) const = 0;
    virtual bool underline() const = 0;
    virtual bool strike_out() const = 0;
    // Lines below and through the text: offset from the baseline (down positive) and thickness.
    virtual int underline_offset() const = 0;
    virtual int strike_out_offset() const = 0;
    virtual int line_thickness() const = 0;

    int char_width(uint8_t c) const { return glyph(c).advance; }
    // Width of the text (sum of advances) and the font's height.
    IntSize text_extent(std::string_view text) const;
};

} // namespace quillet
