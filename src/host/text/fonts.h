// Fonts through fontconfig and FreeType, rendered aliased (one bit per pixel) at 96 pixels per
// inch, with the metrics a Windows program expects of a font.
//
// Family names map as such programs expect: "Courier New" and "fixed" to Liberation Mono, "Arial",
// "Helv", "helvetica" and "system" to Liberation Sans, "Times New Roman" to Liberation Serif (all
// without regard to case); anything else goes to fontconfig as it stands. A mapped family that is
// not installed is refused with RasterError rather than drawn in some other face. Bold and italic
// are synthesized when the family has no such face. Text is bytes in the Windows-1252 code page.
#pragma once

#include "host/raster/glyph_font.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr int font_dpi = 96;

// The pixel height of a point size: 12 points are -16 (a character height of 16 pixels).
int points_to_height(int points);

struct FontRequest {
    std::string family;
    int height = 0; // < 0: character (em) height in pixels; > 0: cell height; 0: 12 points
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;

    friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

class Font final : public GlyphFont {
public:
    struct Face;
    Font(std::unique_ptr<Face> face, const FontRequest& request);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontRequest& request() const { return m_request; }
    const std::string& family() const { return m_family; } // the family actually used
    const FontMetrics& metrics() const override { return m_metrics; }
    bool underline() const override { return m_request.underline; }
    bool strike_out() const override { return m_request.strike_out; }
    int underline_offset() const override { return m_underline_offset; }
    int strike_out_offset() const override { return m_strike_out_offset; }
    int line_thickness() const override { return m_line_thickness; }
    // Rendered on first use and kept; a font is used from one thread.
    const Glyph& glyph(uint8_t c) const override;

private:
    std::unique_ptr<Face> m_face;
    FontRequest m_request;
    std::string m_family;
    FontMetrics m_metrics;
    int m_underline_offset = 0;
    int m_strike_out_offset = 0;
    int m_line_thickness = 1;
    mutable std::array<std::optional<Glyph>, 256> m_glyphs;
};

// Which installed fonts a family list holds: all of them, or only those drawn from outlines at
// any size (bitmap fonts exist only at the sizes they were made for).
enum class FontKinds : uint8_t { all, scalable };

// The families of the installed fonts of those kinds, sorted, each once.
std::vector<std::string> installed_font_families(FontKinds kinds = FontKinds::all);

// The process's fonts: one FreeType library and the fonts opened so far, shared by request.
class FontLibrary {
public:
    FontLibrary();
    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    std::shared_ptr<const Font> open(const FontRequest& request);

    // The family that fontconfig is asked for, after the Windows name mapping.
    static std::string mapped_family(std::string_view requested);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quillet
