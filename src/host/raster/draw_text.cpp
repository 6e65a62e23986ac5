// Drawing text: the opaque background cell, the glyphs in the text colour, then underline and
// strike-out. Text ignores the binary raster operation, as the host's text output does.
#include "host/raster/glyph_font.h"
#include "host/raster/paint_internals.h"

#include <algorithm>
#include <cstdint>

namespace quillet {

IntSize GlyphFont::text_extent(std::string_view text) const {
    int64_t width = 0;
    for (char c : text)
        width += glyph(static_cast<uint8_t>(c)).advance;
    return {static_cast<int>(std::min<int64_t>(width, INT32_MAX)), metrics().height};
}

IntSize DeviceContext::text_extent(std::string_view text) const {
    return m_state.font ? m_state.font->text_extent(text) : IntSize{};
}

void DeviceContext::draw_text(IntPoint p, std::string_view text, TextAlign align) {
    if (!m_state.font) return;
    const GlyphFont& font = *m_state.font;
    const FontMetrics& m = font.metrics();
    const int64_t top = align == TextAlign::top ? int64_t{p.y} : int64_t{p.y} - m.ascent;
    const int64_t baseline = top + m.ascent;
    int64_t width = 0;
    for (char c : text)
        width += font.char_width(static_cast<uint8_t>(c));
    const Color ink = m_state.text_color & color_mask;
    const Region visible = clip_region();
    for (const IntRect& clip : visible.rects())
        draw_text_part(clip, p, text, top, baseline, width, ink);
}

void DeviceContext::draw_text_part(const IntRect& clip, IntPoint p, std::string_view text,
                                   int64_t top, int64_t baseline, int64_t width, Color ink) {
    const GlyphFont& font = *m_state.font;
    const FontMetrics& m = font.metrics();

    auto fill = [&](int64_t left, int64_t t, int64_t right, int64_t bottom, Color c) {
        const IntRect r = paint::clip_bounds(left, t, right, bottom, clip);
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(m_surface.scanline(y) + r.left, m_surface.scanline(y) + r.right, c);
    };
    if (m_state.background_mode == BackgroundMode::opaque)
        fill(p.x, top, p.x + width, top + m.height, m_state.background & color_mask);

    int64_t pen_x = p.x;
    for (char c : text) {
        if (pen_x >= clip.right) break;
        const Glyph& g = font.glyph(static_cast<uint8_t>(c));
        const int64_t gx = pen_x + g.left, gy = baseline - g.top;
        pen_x += g.advance;
        const IntRect r = paint::clip_bounds(gx, gy, gx + g.width, gy + g.height, clip);
        for (int y = r.top; y < r.bottom; ++y) {
            const uint8_t* bits = g.coverage.data() + (y - gy) * g.width;
            Color* row = m_surface.scanline(y);
            for (int x = r.left; x < r.right; ++x)
                if (bits[x - gx]) row[x] = ink;
        }
    }
    const int thick = font.line_thickness();
    if (font.underline())
        fill(p.x, baseline + font.underline_offset(), p.x + width,
             baseline + font.underline_offset() + thick, ink);
    if (font.strike_out())
        fill(p.x, baseline + font.strike_out_offset(), p.x + width,
             baseline + font.strike_out_offset() + thick, ink);
}

} // namespace quillet
