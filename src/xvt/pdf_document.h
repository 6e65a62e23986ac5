// A PDF file of page pictures written with cairo's PDF surface (private to the layer): each page
// is the paper's size in points with one picture on it at its resolution.
#pragma once

#include "host/raster/surface.h"
#include "xvt/page_text.h"

#include <memory>
#include <span>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace quillet::xvt_detail {

class PdfDocument {
public:
    // Paper size in points (1/72 inch). valid() is false when the file cannot be created.
    PdfDocument(const std::string& path, double width_points, double height_points);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    bool valid() const;
    // One page with the picture at (offset, offset) pixels from the paper's corner, at
    // dots_per_inch, and the page's text runs as text of the document, hidden under the picture.
    // False after a write failure.
    bool add_page(const Surface& picture, int dots_per_inch, int offset,
                  std::span<const PageText> text);
    // Writes the rest of the file; false when it could not be written.
    bool finish();

private:
    struct SurfaceCloser {
        void operator()(cairo_surface_t* s) const;
    };
    std::unique_ptr<cairo_surface_t, SurfaceCloser> m_surface;
};

} // namespace quillet::xvt_detail
