// Font objects: family, size in points and style, mapped to a host font for the window they are
// drawn in, at that window's pixels per inch; and the host's font families.
#include "host/raster/raster_error.h"
#include "xvt/window_drawing.h"

#include <algorithm>
#include <cctype>

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr size_t max_family_bytes = 255;
constexpr size_t max_face_name_bytes = 31; // a face name field of 32 bytes with its NUL

LayerFont* checked_font(XvtFont font, std::string_view api) {
    LayerFont* f = app.fonts.find(font);
    if (!f) xvt_report_error(api, ErrorCategory::font, ErrorId::invalid_parameter);
    return f;
}

bool is_fixed(std::string_view family) {
    constexpr std::string_view fixed = "fixed";
    return std::equal(family.begin(), family.end(), fixed.begin(), fixed.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

void unmap(LayerFont& f) {
    f.mapped = false;
    f.host.reset();
    f.mapped_for = no_xvt_window;
}

// The host font of f at the resolution; none after reporting an error.
std::shared_ptr<const Font> open_host_font(const LayerFont& f, int pixels_per_inch,
                                           std::string_view api) {
    FontRequest request;
    request.family = f.family.substr(0, max_face_name_bytes);
    request.height = -(f.points * pixels_per_inch / 72);
    request.weight = f.style & xvt_font_style::bold ? 700 : 400;
    request.italic = f.style & xvt_font_style::italic;
    request.underline = f.style & xvt_font_style::underline;
    request.strike_out = f.style & xvt_font_style::strike_out;
    try {
        return app.windows->fonts().open(request);
    } catch (const RasterError&) {
        xvt_report_error(api, ErrorCategory::fmap, ErrorId::host_null);
        return nullptr;
    }
}

// Builds the host font of f for the window; false after reporting an error.
bool map_font(LayerFont& f, XvtWindow window, LayerWindow& w, std::string_view api) {
    f.host = open_host_font(f, w.pixels_per_inch, api);
    if (!f.host) {
        unmap(f);
        return false;
    }
    f.mapped = true;
    f.mapped_for = window;
    return true;
}

} // namespace

namespace xvt_detail {

std::shared_ptr<const Font> screen_font(XvtFont font, std::string_view api) {
    const LayerFont* f = checked_font(font, api);
    if (!f || !app.windows) return nullptr;
    return open_host_font(*f, font_dpi, api);
}

} // namespace xvt_detail

XvtFont xp_font_create() {
    XvtFont font = app.fonts.add(std::make_unique<LayerFont>());
    if (font == 0) xvt_report_error("xp_font_create", ErrorCategory::font, ErrorId::no_memory);
    return font;
}

void xp_font_destroy(XvtFont font) {
    // Windows drawing in the font keep its host font until they are given another.
    if (!app.fonts.remove(font))
        xvt_report_error("xp_font_destroy", ErrorCategory::font, ErrorId::invalid_parameter);
}

void xp_font_set_family(XvtFont font, std::string_view family) {
    LayerFont* f = checked_font(font, "xp_font_set_family");
    if (!f) return;
    family = family.substr(0, family.find('\0'));
    f->family = is_fixed(family) ? "Courier New" : std::string(family.substr(0, max_family_bytes));
    unmap(*f);
}

void xp_font_set_size(XvtFont font, int32_t points) {
    constexpr std::string_view api = "xp_font_set_size";
    LayerFont* f = checked_font(font, api);
    if (!f) return;
    if (points < 1) {
        xvt_report_error(api, ErrorCategory::font, ErrorId::invalid_parameter);
        return;
    }
    f->points = points;
    unmap(*f);
}

void xp_font_set_style(XvtFont font, uint32_t style) {
    LayerFont* f = checked_font(font, "xp_font_set_style");
    if (!f) return;
    f->style = style;
    unmap(*f);
}

int32_t xp_font_get_size(XvtFont font) {
    LayerFont* f = checked_font(font, "xp_font_get_size");
    return f ? f->points : 0;
}

uint32_t xp_font_get_style(XvtFont font) {
    LayerFont* f = checked_font(font, "xp_font_get_style");
    return f ? f->style : 0;
}

int32_t xp_font_get_family(XvtFont font, std::span<char> buffer) {
    constexpr std::string_view api = "xp_font_get_family";
    LayerFont* f = checked_font(font, api);
    if (!f) return 0;
    if (buffer.empty()) {
        xvt_report_error(api, ErrorCategory::font, ErrorId::invalid_parameter);
        return 0;
    }
    size_t n = std::min(f->family.size(), buffer.size() - 1);
    std::copy_n(f->family.begin(), n, buffer.begin());
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void xp_font_map(XvtFont font, XvtWindow window) {
    constexpr std::string_view api = "xp_font_map";
    LayerFont* f = checked_font(font, api);
    if (!f) return;
    if (LayerWindow* w = drawing_window(window, api)) map_font(*f, window, *w, api);
}

void xp_dwin_set_font(XvtWindow window, XvtFont font) {
    constexpr std::string_view api = "xp_dwin_set_font";
    LayerWindow* w = drawing_window(window, api);
    if (!w) return;
    LayerFont* f = app.fonts.find(font);
    if (!f) {
        xvt_report_error(api, ErrorCategory::dwin, ErrorId::invalid_parameter);
        return;
    }
    if ((!f->mapped || f->mapped_for != window) && !map_font(*f, window, *w, api)) return;
    w->font = font;
    w->host_font = f->host;
}

std::vector<std::string> xp_fmap_get_families(XvtWindow window) {
    const LayerWindow* w = drawing_window(window, "xp_fmap_get_families");
    if (!w) return {};
    // A page is drawn at the printer's resolution and its document is made through cairo: only
    // fonts drawn from outlines scale to it and can be embedded.
    return installed_font_families(
        w->type == static_cast<int32_t>(WindowType::print) ? FontKinds::scalable : FontKinds::all);
}

} // namespace quillet
