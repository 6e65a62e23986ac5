// The print-setup dialog: where documents go, and the paper, kept in the caller's record.
#include "host/controls/controls.h"
#include "host/controls/dialogs.h"
#include "xvt/printing.h"

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr int ok_item = 1, cancel_item = 2, paper_item = 10;

host::ControlDef control(host::ControlKind kind, IntRect rect, std::string text, int id) {
    host::ControlDef c;
    c.kind = kind;
    c.rect = rect;
    c.text = std::move(text);
    c.id = id;
    return c;
}

std::string destination_text(const XvtPrintSetup& setup) {
    std::string text =
        setup.printer.empty() ? "PDF files in " + print_directory() : "Printer " + setup.printer;
    std::string label; // label text shows '&' as typed
    for (char c : text)
        label += c == '&' ? std::string("&&") : std::string(1, c);
    return label;
}

} // namespace

bool xp_print_setup(XvtPrintSetup& setup) {
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error("xp_print_setup", ErrorCategory::print, ErrorId::host_null);
        return false;
    }
    host::DialogDef def;
    def.title = "Print Setup";
    def.client_size = {300, 150};
    using host::ControlKind;
    host::ControlDef paper = control(ControlKind::list_box, {70, 40, 200, 100}, "", paper_item);
    host::ControlDef ok = control(ControlKind::push_button, {210, 40, 290, 64}, "OK", ok_item);
    ok.default_button = true;
    def.controls = {
        control(ControlKind::static_left, {10, 12, 290, 30}, destination_text(setup), 11),
        control(ControlKind::static_left, {10, 42, 65, 60}, "Paper", 12),
        paper,
        ok,
        control(ControlKind::push_button, {210, 72, 290, 96}, "Cancel", cancel_item),
    };
    host::WindowId dialog = host::create_dialog(
        *ws, def, ws->active_window(), [](host::WindowSystem& system, const host::Message& m) {
            if (m.kind == host::Msg::notify &&
                m.value == static_cast<int32_t>(host::Notify::clicked) &&
                (m.code == ok_item || m.code == cancel_item)) {
                system.end_modal(m.window, m.code == ok_item ? 1 : 0);
                return intptr_t{0};
            }
            if (m.kind == host::Msg::close) {
                system.end_modal(m.window, 0);
                return intptr_t{0};
            }
            return system.default_procedure(m);
        });
    if (dialog == host::no_window) {
        xvt_report_error("xp_print_setup", ErrorCategory::print, ErrorId::host_null);
        return false;
    }
    const host::WindowId list = host::control_by_id(*ws, dialog, paper_item);
    host::ListControl* papers = host::find_control<host::ListControl>(*ws, list);
    for (const PaperSize& p : paper_sizes) {
        if (!papers) break;
        papers->add(-1, p.name);
        if (p.name == paper_named(setup.paper).name)
            papers->set_selected(papers->count() - 1, true);
    }
    ws->show_window(dialog, true);
    ws->set_focus(list);
    const bool accepted = ws->run_modal(dialog) == 1;
    if (accepted) {
        papers = host::find_control<host::ListControl>(*ws, list);
        std::vector<int> chosen = papers ? papers->selection() : std::vector<int>{};
        if (!chosen.empty()) setup.paper = std::string(paper_sizes[chosen.front()].name);
    }
    ws->destroy_window(dialog);
    return accepted;
}

} // namespace quillet
