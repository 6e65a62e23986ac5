// Print jobs (private to the layer): the document of a print window, its cancel dialog, the
// paper sizes and where finished documents go.
#pragma once

#include "xvt/layer_state.h"
#include "xvt/pdf_document.h"

namespace quillet::xvt_detail {

struct PaperSize {
    std::string_view name;
    double width_points; // 1/72 inch
    double height_points;
};
inline constexpr PaperSize paper_sizes[] = {{"Letter", 612, 792}, {"A4", 595.2756, 841.8898}};
// The named paper; Letter for a name of none.
const PaperSize& paper_named(std::string_view name);
// The part of the paper a printer cannot reach, on each side.
inline constexpr double unprintable_inches = 0.25;
int unprintable_pixels(const XvtPrintSetup& setup);

class PrintJob {
public:
    PrintJob() = default;
    ~PrintJob(); // closes the cancel dialog and removes the file of an unfinished document
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    XvtPrintSetup setup;
    std::string title;
    std::string partial_path; // the document while it is written
    std::unique_ptr<PdfDocument> pdf;
    host::WindowId dialog = host::no_window;
    bool cancelled = false; // by the dialog
    bool in_page = false;
    std::vector<PageText> page_text; // of the page being drawn
};

// Keeps a run of text drawn on a print window's open page; nothing for other windows.
void note_page_text(LayerWindow& window, IntPoint baseline_start, std::string_view text);

// --- Where documents go (print_output.cpp) ---
std::string print_directory();          // QUILLET_PRINT_DIR, or the current directory
std::string printer_from_environment(); // QUILLET_PRINTER, or none
// DIR/TITLE.pdf, or TITLE-2.pdf and on when taken; characters a file name cannot hold become _.
std::string free_pdf_path(const std::string& directory, std::string_view title);
// `lp -d PRINTER -t TITLE FILE`; true when lp succeeded.
bool send_to_printer(const std::string& printer, const std::string& title, const std::string& path);

} // namespace quillet::xvt_detail
