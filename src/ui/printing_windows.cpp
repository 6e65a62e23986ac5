#include "ui/printing_windows.h"

#include "host/raster/device_context.h"
#include "ui/objects/object_classes.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_table.h"
#include "ui/objects/window_tools.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr const char* page_font_family = "courier";
constexpr int32_t page_font_size = 10;
constexpr double screen_pixels_per_inch = 96;

// Where the window's picture lands on the page: its size on the screen, shrunk to fit the page.
IntRect printed_area(IntSize picture, IntSize page, int32_t resolution) {
    double scale = resolution / screen_pixels_per_inch;
    scale =
        std::min({scale, double(page.width) / picture.width, double(page.height) / picture.height});
    return {0, 0, std::max(1, static_cast<int>(picture.width * scale)),
            std::max(1, static_cast<int>(picture.height * scale))};
}

bool draw_window_on_page(const WindowRecord& r, XvtWindow job, const XvtPrintSetup& setup) {
    const XvtWindow source = r.backing_pixmap != no_xvt_window ? r.backing_pixmap : r.native_window;
    bool drawn = false;
    xvt_dwin_with_device(source, [&](DeviceContext& window) {
        const Surface& picture = window.surface();
        const IntSize size{std::min(picture.width(), std::max(r.pixel_width, 1)),
                           std::min(picture.height(), std::max(r.pixel_height, 1))};
        xvt_dwin_with_device(job, [&](DeviceContext& page) {
            page.stretch_blt(printed_area(size, xp_print_page_size(setup), setup.resolution),
                             picture, {0, 0, size.width, size.height}, rop3::src_copy);
            drawn = true;
        });
    });
    return drawn;
}

// Window method 10: the window's contents on one page, after the print dialog.
void print_window_contents(WindowRecord& r) {
    if (r.type == window_type::printing || !window_is_made(r) || !xvt_screen_size()) return;
    std::shared_ptr<XvtPrintSetup> setup = print_record_of(r);
    if (!setup || !xp_print_setup(*setup)) return;
    const std::string title = r.title.empty() ? std::string(product_title) : r.title;
    const XvtWindow job = xp_print_create_win(setup.get(), title);
    if (job == no_xvt_window) raise_error(printer_trouble);
    const bool printed =
        xp_print_start_page(job) && draw_window_on_page(r, job, *setup) && xp_print_end_page(job);
    if (!xp_print_close_win(job) || !printed) raise_error(printer_trouble);
}

} // namespace

void create_printing_window(ObjectRequest& request) {
    const int n = allocate_window_number();
    if (n < 0) raise_error(object_error::id_out_of_range);
    const std::string title = request.strings().empty() ? "" : request.strings().front();
    std::shared_ptr<XvtPrintSetup> setup = print_record_of(current_window());
    request.set_new_id(n);
    if (!setup || !xvt_screen_size() || !xp_print_setup(*setup)) {
        request.append_int(0);
        return;
    }
    const XvtWindow job = xp_print_create_win(setup.get(), title);
    if (job == no_xvt_window) raise_error(object_error::cannot_show_window);
    WindowRecord& r = window_record(n);
    r = WindowRecord{};
    r.native_window = job;
    r.type = window_type::printing;
    r.state = WindowState::shown;
    r.title = title;
    r.print_record = setup;
    const IntSize page = xp_print_page_size(*setup);
    r.rect = {0, 0, page.width, page.height};
    r.pixel_width = page.width;
    r.pixel_height = page.height;
    text_metrics(r).family = page_font_family;
    text_metrics(r).font_size = page_font_size;
    apply_window_font(r);
    apply_window_tools(r);
    request.append_int(1);
}

void print_method(int n, ObjectRequest& request) {
    WindowRecord& r = window_entry(n);
    using namespace object_method;
    switch (request.method()) {
    case print: print_window_contents(r); return;
    case page_setup:
        if (std::shared_ptr<XvtPrintSetup> setup = print_record_of(r); setup && xvt_screen_size())
            xp_print_setup(*setup);
        return;
    case print_start_page:
    case print_end_page:
        if (r.type != window_type::printing) raise_error(object_error::unknown_window_type);
        request.append_int(request.method() == print_start_page
                               ? xp_print_start_page(r.native_window)
                               : xp_print_end_page(r.native_window));
        return;
    default: return;
    }
}

std::shared_ptr<XvtPrintSetup> print_record_of(WindowRecord& window) {
    if (!window.in_use()) return nullptr;
    if (!window.print_record)
        window.print_record = std::make_shared<XvtPrintSetup>(xp_print_default_setup());
    return window.print_record;
}

void end_printing_window(int n) {
    WindowRecord* r = find_window(n);
    if (!r || r->type != window_type::printing) return;
    const XvtWindow job = r->native_window;
    *r = WindowRecord{};
    if (window_table.current == n) window_table.current = default_window;
    if (job != no_xvt_window) xp_print_close_win(job);
}

} // namespace quillet
