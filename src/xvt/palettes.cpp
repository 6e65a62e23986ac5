// Palettes: colour tables of the five kinds (their tables live with the host's raster), named by
// the layer's palette handles, and colours added to them.
#include "host/raster/palettes.h"

#include "xvt/layer_state.h"

#include <algorithm>

namespace quillet {

using namespace xvt_detail;

XvtPalette xp_palet_create(int32_t kind) {
    PaletteKind host_kind =
        kind >= 1 && kind <= 4 ? static_cast<PaletteKind>(kind) : PaletteKind::startup;
    auto palette = std::make_unique<LayerPalette>();
    palette->colors = make_palette(host_kind);
    palette->present.insert(palette->colors.begin(), palette->colors.end());
    XvtPalette handle = app.palettes.add(std::move(palette));
    if (handle == 0) xvt_report_error("xp_palet_create", ErrorCategory::palet, ErrorId::no_memory);
    return handle;
}

void xp_palet_destroy(XvtPalette palette) {
    if (!app.palettes.remove(palette))
        xvt_report_error("xp_palet_destroy", ErrorCategory::palet, ErrorId::invalid_parameter);
}

void xvt_palet_release(XvtPalette palette) {
    app.palettes.remove(palette);
}

int32_t xp_palet_size(XvtPalette palette) {
    const LayerPalette* p = app.palettes.find(palette);
    if (!p) {
        xvt_report_error("xp_palet_size", ErrorCategory::palet, ErrorId::invalid_parameter);
        return 0;
    }
    return static_cast<int32_t>(p->colors.size());
}

// A colour is added unless an entry equals it in all three components. (Refusing every colour
// that shares any one component with any entry, as a literal reading would, drops most colours of
// an image.) Colours repeated within the call are added once.
int32_t xp_palet_set_colors(XvtPalette palette, std::span<const Color> colors) {
    LayerPalette* p = app.palettes.find(palette);
    if (!p) {
        xvt_report_error("xp_palet_set_colors", ErrorCategory::palet, ErrorId::invalid_parameter);
        return 0;
    }
    int32_t added = 0;
    for (Color c : colors) {
        Color rgb = c & 0xFFFFFF;
        if (!p->present.insert(rgb).second) continue;
        p->colors.push_back(rgb);
        ++added;
    }
    return added;
}

int32_t xp_palet_get_colors(XvtPalette palette, std::span<Color> buffer) {
    const LayerPalette* p = app.palettes.find(palette);
    if (!p) {
        xvt_report_error("xp_palet_get_colors", ErrorCategory::palet, ErrorId::invalid_parameter);
        return 0;
    }
    size_t n = std::min(buffer.size(), p->colors.size());
    std::copy_n(p->colors.begin(), n, buffer.begin());
    return static_cast<int32_t>(n);
}

} // namespace quillet
