// PDF files of page pictures through cairo.
#include "xvt/pdf_document.h"

#include "xvt/cairo_library.h"

namespace quillet::xvt_detail {
namespace {

// Each run in a sans font at the run's height, stretched to the run's width, so that a reader
// finds the words where the picture shows them. The picture covers them.
void add_hidden_text(const CairoLibrary& c, cairo_t* cr, std::span<const PageText> runs,
                     int offset) {
    c.save(cr);
    c.set_source_rgb(cr, 1, 1, 1);
    c.select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (const PageText& run : runs) {
        if (run.utf8.empty() || run.height <= 0 || run.width <= 0) continue;
        c.set_font_size(cr, run.height);
        cairo_text_extents_t extents;
        c.text_extents(cr, run.utf8.c_str(), &extents);
        if (extents.x_advance <= 0) continue;
        c.save(cr);
        c.translate(cr, offset + run.x, offset + run.baseline);
        c.scale(cr, run.width / extents.x_advance, 1);
        c.move_to(cr, 0, 0);
        c.show_text(cr, run.utf8.c_str());
        c.restore(cr);
    }
    c.restore(cr);
}

cairo_surface_t* create_pdf_surface(const std::string& path, double width, double height) {
    const CairoLibrary* c = cairo();
    return c ? c->pdf_surface_create(path.c_str(), width, height) : nullptr;
}

} // namespace

void PdfDocument::SurfaceCloser::operator()(cairo_surface_t* s) const {
    cairo()->surface_destroy(s); // a surface was made, so cairo is loaded
}

PdfDocument::PdfDocument(const std::string& path, double width_points, double height_points)
    : m_surface(create_pdf_surface(path, width_points, height_points)) {}

PdfDocument::~PdfDocument() = default;

bool PdfDocument::valid() const {
    return m_surface && cairo()->surface_status(m_surface.get()) == CAIRO_STATUS_SUCCESS;
}

bool PdfDocument::add_page(const Surface& picture, int dots_per_inch, int offset,
                           std::span<const PageText> text) {
    if (!valid()) return false;
    const CairoLibrary& c = *cairo();
    // Our pixels are 0x00RRGGBB words without padding, which is cairo's RGB24 layout when its
    // stride is four bytes a pixel. cairo only reads a source image.
    const int stride = c.format_stride_for_width(CAIRO_FORMAT_RGB24, picture.width());
    if (stride != picture.width() * 4) return false;
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<Color*>(picture.pixels().data()));
    std::unique_ptr<cairo_surface_t, decltype(c.surface_destroy)> image(
        c.image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, picture.width(),
                                        picture.height(), stride),
        c.surface_destroy);
    std::unique_ptr<cairo_t, decltype(c.destroy)> cr(c.create(m_surface.get()), c.destroy);
    const double scale = 72.0 / dots_per_inch;
    c.scale(cr.get(), scale, scale);
    add_hidden_text(c, cr.get(), text, offset);
    c.set_source_surface(cr.get(), image.get(), offset, offset);
    // Printed pixels stay sharp: no smoothing between them.
    c.pattern_set_filter(c.get_source(cr.get()), CAIRO_FILTER_NEAREST);
    c.paint(cr.get());
    c.show_page(cr.get());
    const bool ok = c.status(cr.get()) == CAIRO_STATUS_SUCCESS;
    return ok && valid();
}

bool PdfDocument::finish() {
    if (!valid()) return false;
    const CairoLibrary& c = *cairo();
    c.surface_finish(m_surface.get());
    return c.surface_status(m_surface.get()) == CAIRO_STATUS_SUCCESS;
}

} // namespace quillet::xvt_detail
