#include "ui/dialogs/print_lines.h"

#include "ui/printing_windows.h"
#include "ui/scoped_font.h"
#include "ui/window_table.h"
#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>

namespace quillet {
namespace {

// The window's cursor shows the wait cursor while the job runs.
class WaitCursor {
public:
    explicit WaitCursor(XvtWindow window) : m_window(window) {
        if (m_window == no_xvt_window) return;
        m_saved = xp_win_get_cursor(m_window);
        xp_win_set_cursor(m_window, xvt_cursor::wait);
    }
    ~WaitCursor() {
        if (m_window != no_xvt_window && m_saved != 0) xp_win_set_cursor(m_window, m_saved);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    XvtWindow m_window;
    int32_t m_saved = 0;
};

// Draws the pages; false when the job was aborted.
bool print_pages(XvtWindow job, const XvtPrintSetup& setup, const TextMetrics& metrics,
                 const std::vector<std::string>& lines) {
    const ScopedFont font(metrics.family.empty() ? "Courier New" : metrics.family,
                          metrics.font_size, metrics.font_style);
    size_t next = 0;
    do {
        if (!xp_print_start_page(job)) return false;
        xp_dwin_set_font(job, font.get());
        int32_t leading = 0, ascent = 0, descent = 0;
        xp_dwin_get_font_metrics(job, &leading, &ascent, &descent);
        const int32_t line_height = std::max(leading + ascent + descent, 1);
        const int32_t per_page = std::max(xp_print_page_size(setup).height / line_height, 1);
        for (int32_t row = 0; row < per_page && next < lines.size(); ++row) {
            const std::string& line = lines[next++];
            if (!line.empty() && line.front() == '\f') break;
            xp_dwin_draw_text(job, 0, row * line_height + ascent, line,
                              static_cast<int32_t>(line.size()));
        }
        if (!xp_print_end_page(job)) return false;
    } while (next < lines.size());
    return true;
}

} // namespace

void print_lines(const std::vector<std::string>& lines) {
    WindowRecord& window = current_window();
    std::shared_ptr<XvtPrintSetup> print_setup = print_record_of(window);
    if (!print_setup || !xvt_screen_size()) return; // no window, no print record
    if (!xp_print_setup(*print_setup)) return;
    WaitCursor wait(window.native_window);
    const std::string title = window.title.empty() ? std::string(product_title) : window.title;
    const XvtWindow job = xp_print_create_win(print_setup.get(), title);
    if (job == no_xvt_window) raise_error(printer_trouble);
    const bool printed = print_pages(job, *print_setup, text_metrics(window), lines);
    if (!xp_print_close_win(job) || !printed) raise_error(printer_trouble);
}

} // namespace quillet
