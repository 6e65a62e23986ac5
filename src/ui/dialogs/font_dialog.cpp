#include "ui/dialogs/font_dialog.h"

#include "ui/window_table.h"
#include "xvt/xvt.h"

#include <array>

namespace quillet {

bool run_font_dialog(DialogFont& font) {
    XvtFont f = xp_font_create();
    if (f == 0) return false;
    xp_font_set_family(f, font.family);
    xp_font_set_size(f, std::max(font.size, 1));
    xp_font_set_style(f, font.style);
    const WindowRecord& owner = current_window();
    const XvtWindow window = owner.in_use() ? owner.native_window : no_xvt_window;
    const bool confirmed = xp_dm_post_font_sel(window, f);
    if (confirmed) {
        std::array<char, 256> family{};
        const int32_t n = xp_font_get_family(f, family);
        font.family.assign(family.data(), static_cast<size_t>(std::max(n, 0)));
        font.size = xp_font_get_size(f);
        font.style = xp_font_get_style(f);
    }
    xp_font_destroy(f);
    return confirmed;
}

} // namespace quillet
