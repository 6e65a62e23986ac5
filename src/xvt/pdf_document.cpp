// PDF files of page pictures through cairo.
#include "xvt/pdf_document.h"

#include <cairo-pdf.h>
#include <cairo.h>

namespace quillet::xvt_detail {
namespace {

// Each run in a sans font at the run's height, stretched to the run's width, so that a reader
// finds the words where the picture shows them. The picture covers them.
void add_hidden_text(cairo_t* cr, std::span<const PageText> runs, int offset) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (const PageText& run : runs) {
        if (run.utf8.empty() || run.height <= 0 || run.width <= 0) continue;
        cairo_set_font_size(cr, run.height);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, run.utf8.c_str(), &extents);
        if (extents.x_advance <= 0) continue;
        cairo_save(cr);
        cairo_translate(cr, offset + run.x, offset + run.baseline);
        cairo_scale(cr, run.width / extents.x_advance, 1);
        cairo_move_to(cr, 0, 0);
        cairo_show_text(cr, run.utf8.c_str());
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

} // namespace

void PdfDocument::SurfaceCloser::operator()(cairo_surface_t* s) const {
    cairo_surface_destroy(s);
}

PdfDocument::PdfDocument(const std::string& path, double width_points, double height_points)
    : m_surface(cairo_pdf_surface_create(path.c_str(), width_points, height_points)) {}

PdfDocument::~PdfDocument() = default;

bool PdfDocument::valid() const {
    return m_surface && cairo_surface_status(m_surface.get()) == CAIRO_STATUS_SUCCESS;
}

bool PdfDocument::add_page(const Surface& picture, int dots_per_inch, int offset,
                           std::span<const PageText> text) {
    if (!valid()) return false;
    // Our pixels are 0x00RRGGBB words without padding, which is cairo's RGB24 layout when its
    // stride is four bytes a pixel. cairo only reads a source image.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, picture.width());
    if (stride != picture.width() * 4) return false;
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<Color*>(picture.pixels().data()));
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, picture.width(),
                                            picture.height(), stride),
        cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(m_surface.get()),
                                                          cairo_destroy);
    const double scale = 72.0 / dots_per_inch;
    cairo_scale(cr.get(), scale, scale);
    add_hidden_text(cr.get(), text, offset);
    cairo_set_source_surface(cr.get(), image.get(), offset, offset);
    // Printed pixels stay sharp: no smoothing between them.
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    cairo_show_page(cr.get());
    const bool ok = cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS;
    return ok && valid();
}

bool PdfDocument::finish() {
    if (!valid()) return false;
    cairo_surface_finish(m_surface.get());
    return cairo_surface_status(m_surface.get()) == CAIRO_STATUS_SUCCESS;
}

} // namespace quillet::xvt_detail
