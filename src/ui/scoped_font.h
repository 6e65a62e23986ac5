// A font object of the windowing layer, owned for a scope.
#pragma once

#include "xvt/xvt.h"

#include <string_view>

namespace quillet {

class ScopedFont {
public:
    // Points below 1 leave the size unset: the host maps the font at its default height.
    ScopedFont(std::string_view family, int32_t points, uint32_t style) : m_font(xp_font_create()) {
        if (m_font == 0) return;
        xp_font_set_family(m_font, family);
        if (points >= 1) xp_font_set_size(m_font, points);
        xp_font_set_style(m_font, style);
    }
    ~ScopedFont() {
        if (m_font != 0) xp_font_destroy(m_font);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

    XvtFont get() const { return m_font; } // 0 when the layer could not make it

private:
    XvtFont m_font;
};

} // namespace quillet
