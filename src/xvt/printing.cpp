// Print windows: a document of page pictures at the printer's resolution, written as PDF page by
// page, with the modeless cancel dialog "AbortDlg" that the page operations let run.
#include "xvt/printing.h"

#include "host/controls/dialogs.h"
#include "xvt/window_drawing.h"

#include <atomic>
#include <filesystem>
#include <unistd.h>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

const PaperSize& paper_named(std::string_view name) {
    for (const PaperSize& p : paper_sizes)
        if (p.name == name) return p;
    return paper_sizes[0];
}

int unprintable_pixels(const XvtPrintSetup& setup) {
    return static_cast<int>(unprintable_inches * setup.resolution);
}

PrintJob::~PrintJob() {
    if (dialog != host::no_window && app.windows && app.windows->exists(dialog))
        app.windows->destroy_window(dialog);
    pdf.reset();
    std::error_code ignored;
    if (!partial_path.empty()) std::filesystem::remove(partial_path, ignored);
}

void note_page_text(LayerWindow& window, IntPoint baseline_start, std::string_view text) {
    PrintJob* job = window.print_job.get();
    if (!job || !job->in_page) return;
    std::shared_ptr<const GlyphFont> font = window_font(window);
    if (!font) return;
    PageText run;
    run.x = baseline_start.x;
    run.baseline = baseline_start.y;
    const IntSize extent = font->text_extent(text);
    run.width = extent.width;
    run.height = font->metrics().ascent + font->metrics().descent;
    // The program's text is single-byte (Latin-1); the document's is UTF-8. Control characters
    // have no glyph to find.
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            run.utf8 += ' ';
        } else if (c < 0x80) {
            run.utf8 += static_cast<char>(c);
        } else {
            run.utf8 += static_cast<char>(0xC0 | (c >> 6));
            run.utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    job->page_text.push_back(std::move(run));
}

} // namespace xvt_detail

namespace {

constexpr ErrorCategory print_category = ErrorCategory::print;
constexpr int32_t min_resolution = 36, max_resolution = 600;
constexpr int document_name_item = 0x66;
constexpr int cancel_item = 2;

PrintJob* print_job(XvtWindow window) {
    LayerWindow* record = layer_window(window);
    return record ? record->print_job.get() : nullptr;
}

PrintJob* checked_job(XvtWindow window, std::string_view api) {
    PrintJob* job = print_job(window);
    if (!job) xvt_report_error(api, print_category, ErrorId::illegal_window);
    return job;
}

// The title of the cancel dialog: the name the program was started as.
std::string executable_base_name() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("quillet") : exe.stem().string();
}

// A file of its own for the document while it is written, beside where it will end.
std::string partial_path_in(const std::filesystem::path& directory) {
    static std::atomic<unsigned> serial = 0;
    return (directory / (".quillet-print-" + std::to_string(getpid()) + "-" +
                         std::to_string(++serial) + ".pdf.part"))
        .string();
}

host::WindowId open_cancel_dialog(host::WindowSystem& ws, XvtWindow window,
                                  std::string_view title) {
    host::DialogDef def;
    def.title = executable_base_name();
    def.client_size = {280, 100};
    host::ControlDef printing;
    printing.kind = host::ControlKind::static_center;
    printing.rect = {10, 12, 270, 30};
    printing.text = "Printing";
    printing.id = 0x65;
    host::ControlDef name;
    name.kind = host::ControlKind::static_center;
    name.rect = {10, 32, 270, 50};
    for (char c : title) // label text shows '&' as typed
        name.text += c == '&' ? std::string("&&") : std::string(1, c);
    name.id = document_name_item;
    host::ControlDef cancel;
    cancel.kind = host::ControlKind::push_button;
    cancel.rect = {100, 64, 180, 88};
    cancel.text = "Cancel";
    cancel.id = cancel_item;
    cancel.default_button = true;
    def.controls = {printing, name, cancel};
    host::WindowId dialog = host::create_dialog(
        ws, def, host::no_window, [window](host::WindowSystem& system, const host::Message& m) {
            const bool cancel_clicked = m.kind == host::Msg::notify && m.code == cancel_item &&
                                        m.value == static_cast<int32_t>(host::Notify::clicked);
            if (cancel_clicked || m.kind == host::Msg::close) {
                if (PrintJob* job = print_job(window)) job->cancelled = true;
                return intptr_t{0};
            }
            return system.default_procedure(m);
        });
    if (dialog != host::no_window) ws.show_window(dialog, true);
    return dialog;
}

// Drops the document of a cancelled job: no output, the dialog closed.
void abort_document(PrintJob& job) {
    job.pdf.reset();
    std::error_code ignored;
    std::filesystem::remove(job.partial_path, ignored);
    job.partial_path.clear();
    job.in_page = false;
    if (job.dialog != host::no_window && app.windows->exists(job.dialog))
        app.windows->destroy_window(job.dialog);
    job.dialog = host::no_window;
}

// The abort procedure: lets the cancel dialog (and every other window) take its messages, then
// gives the job when printing goes on; a cancelled document is aborted here.
PrintJob* keep_printing(XvtWindow window, std::string_view api) {
    if (!checked_job(window, api)) return nullptr;
    process_host_messages();
    PrintJob* job = print_job(window); // the messages may have freed the window
    if (!job) return nullptr;
    if (job->cancelled && job->pdf) abort_document(*job);
    return job->pdf ? job : nullptr;
}

} // namespace

XvtPrintSetup xp_print_default_setup() {
    XvtPrintSetup setup;
    setup.printer = printer_from_environment();
    return setup;
}

IntSize xp_print_page_size(const XvtPrintSetup& setup) {
    const PaperSize& paper = paper_named(setup.paper);
    const int margin = unprintable_pixels(setup);
    return {static_cast<int>(paper.width_points * setup.resolution / 72) - 2 * margin,
            static_cast<int>(paper.height_points * setup.resolution / 72) - 2 * margin};
}

XvtWindow xp_print_create_win(const XvtPrintSetup* setup, std::string_view title) {
    constexpr std::string_view api = "xp_print_create_win";
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error(api, print_category, ErrorId::host_null);
        return no_xvt_window;
    }
    auto job = std::make_shared<PrintJob>();
    job->setup = setup ? *setup : xp_print_default_setup();
    job->title = std::string(title.substr(0, title.find('\0')));
    if (job->setup.resolution < min_resolution || job->setup.resolution > max_resolution) {
        xvt_report_error(api, print_category, ErrorId::invalid_parameter);
        return no_xvt_window;
    }
    const std::filesystem::path directory = job->setup.printer.empty()
                                                ? std::filesystem::path(print_directory())
                                                : std::filesystem::temp_directory_path();
    job->partial_path = partial_path_in(directory);
    const PaperSize& paper = paper_named(job->setup.paper);
    job->pdf =
        std::make_unique<PdfDocument>(job->partial_path, paper.width_points, paper.height_points);
    if (!job->pdf->valid()) {
        xvt_report_error(api, print_category, ErrorId::host_error);
        return no_xvt_window; // the job's end removes what cairo may have left
    }
    auto record = std::make_unique<LayerWindow>();
    record->type = static_cast<int32_t>(WindowType::print);
    const IntSize page = xp_print_page_size(job->setup);
    record->picture = std::make_unique<Surface>(page.width, page.height, Color{0xFFFFFF});
    record->pixels_per_inch = job->setup.resolution;
    record->print_job = job;
    const XvtWindow window = add_layer_window(std::move(record));
    if (window == no_xvt_window) {
        xvt_report_error(api, print_category, ErrorId::no_memory);
        return no_xvt_window;
    }
    job->dialog = open_cancel_dialog(*ws, window, job->title);
    return window;
}

bool xp_print_start_page(XvtWindow window) {
    PrintJob* job = keep_printing(window, "xp_print_start_page");
    if (!job) return false;
    LayerWindow* record = layer_window(window);
    record->picture->fill(0xFFFFFF);
    record->pen_position = {};
    job->page_text.clear();
    job->in_page = true;
    return true;
}

bool xp_print_end_page(XvtWindow window) {
    PrintJob* job = keep_printing(window, "xp_print_end_page");
    if (!job || !job->in_page) return false;
    job->in_page = false;
    const LayerWindow* record = layer_window(window);
    const bool added = job->pdf->add_page(*record->picture, job->setup.resolution,
                                          unprintable_pixels(job->setup), job->page_text);
    job->page_text.clear();
    return added;
}

bool xp_print_close_win(XvtWindow window) {
    constexpr std::string_view api = "xp_print_close_win";
    PrintJob* job = checked_job(window, api);
    if (!job) return false;
    bool ok = (!job->in_page || xp_print_end_page(window));
    job = print_job(window);
    if (!job) return false;
    ok = ok && !job->cancelled && job->pdf && job->pdf->finish();
    if (ok) {
        std::error_code error;
        if (job->setup.printer.empty()) {
            std::filesystem::rename(job->partial_path, free_pdf_path(print_directory(), job->title),
                                    error);
            ok = !error;
        } else {
            ok = send_to_printer(job->setup.printer, job->title, job->partial_path);
        }
        if (!ok) xvt_report_error(api, print_category, ErrorId::host_error);
    }
    forget_layer_window(window); // closes the dialog and removes what was not kept
    return ok;
}

} // namespace quillet
