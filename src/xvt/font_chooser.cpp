// The font chooser: a modal dialog over a font object's family, size and style.
#include "host/controls/controls.h"
#include "host/controls/dialogs.h"
#include "xvt/layer_state.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr std::string_view api = "xp_dm_post_font_sel";
constexpr int ok_item = 1, cancel_item = 2, family_item = 10, size_item = 11;

struct StyleBox {
    int id;
    std::string_view title;
    uint32_t bit;
};
constexpr StyleBox style_boxes[] = {{12, "Bold", xvt_font_style::bold},
                                    {13, "Italic", xvt_font_style::italic},
                                    {14, "Underline", xvt_font_style::underline},
                                    {15, "Strike-out", xvt_font_style::strike_out}};

host::ControlDef control(host::ControlKind kind, IntRect rect, std::string_view text, int id) {
    host::ControlDef c;
    c.kind = kind;
    c.rect = rect;
    c.text = std::string(text);
    c.id = id;
    return c;
}

bool same_family(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

host::DialogDef chooser_definition() {
    using host::ControlKind;
    host::DialogDef def;
    def.title = "Font";
    def.client_size = {390, 230};
    def.controls = {control(ControlKind::static_left, {10, 8, 200, 24}, "Family", 20),
                    control(ControlKind::list_box, {10, 26, 200, 220}, "", family_item),
                    control(ControlKind::static_left, {210, 8, 290, 24}, "Size", 21),
                    control(ControlKind::edit, {210, 26, 270, 48}, "", size_item)};
    int y = 60;
    for (const StyleBox& box : style_boxes) {
        def.controls.push_back(
            control(ControlKind::check_box, {210, y, 300, y + 20}, box.title, box.id));
        y += 24;
    }
    host::ControlDef ok = control(ControlKind::push_button, {305, 26, 380, 50}, "OK", ok_item);
    ok.default_button = true;
    def.controls.push_back(ok);
    def.controls.push_back(
        control(ControlKind::push_button, {305, 58, 380, 82}, "Cancel", cancel_item));
    return def;
}

intptr_t chooser_procedure(host::WindowSystem& ws, const host::Message& m) {
    if (m.kind == host::Msg::notify && m.value == static_cast<int32_t>(host::Notify::clicked) &&
        (m.code == ok_item || m.code == cancel_item)) {
        ws.end_modal(m.window, m.code == ok_item ? 1 : 0);
        return 0;
    }
    if (m.kind == host::Msg::close) {
        ws.end_modal(m.window, 0);
        return 0;
    }
    return ws.default_procedure(m);
}

} // namespace

bool xp_dm_post_font_sel(XvtWindow window, XvtFont font) {
    LayerWindow* owner = window == no_xvt_window ? nullptr : layer_window(window);
    if (window != no_xvt_window && !owner) {
        xvt_report_error(api, ErrorCategory::dlg, ErrorId::illegal_window);
        return false;
    }
    const LayerFont* f = app.fonts.find(font);
    host::WindowSystem* ws = window_system();
    if (!f || !ws) {
        xvt_report_error(api, ErrorCategory::dlg,
                         f ? ErrorId::host_null : ErrorId::invalid_parameter);
        return false;
    }
    const host::WindowId dialog = host::create_dialog(
        *ws, chooser_definition(), owner ? owner->host : ws->active_window(), chooser_procedure);
    if (dialog == host::no_window) {
        xvt_report_error(api, ErrorCategory::dlg, ErrorId::no_memory);
        return false;
    }
    const std::vector<std::string> families = installed_font_families();
    const host::WindowId list = host::control_by_id(*ws, dialog, family_item);
    if (host::ListControl* names = host::find_control<host::ListControl>(*ws, list)) {
        for (const std::string& family : families) {
            names->add(-1, family);
            if (same_family(family, f->family)) names->set_selected(names->count() - 1, true);
        }
        if (names->selection().empty() && !families.empty()) names->set_selected(0, true);
    }
    ws->set_title(host::control_by_id(*ws, dialog, size_item),
                  std::to_string(std::max(f->points, 1)));
    auto style_check = [&](int id) {
        return host::find_control<host::ButtonControl>(*ws, host::control_by_id(*ws, dialog, id));
    };
    for (const StyleBox& box : style_boxes)
        if (host::ButtonControl* check = style_check(box.id))
            check->set_checked((f->style & box.bit) != 0);
    ws->show_window(dialog, true);
    ws->set_focus(list);

    const bool accepted = ws->run_modal(dialog) == 1 && ws->exists(dialog);
    if (accepted && app.fonts.find(font)) {
        const host::ListControl* names = host::find_control<host::ListControl>(*ws, list);
        std::vector<int> chosen = names ? names->selection() : std::vector<int>{};
        if (!chosen.empty())
            xp_font_set_family(font, families[static_cast<size_t>(chosen.front())]);
        const std::string size = ws->title(host::control_by_id(*ws, dialog, size_item));
        int32_t points = 0;
        auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), points);
        if (error == std::errc() && points >= 1) xp_font_set_size(font, points);
        uint32_t style = xp_font_get_style(font);
        for (const StyleBox& box : style_boxes) {
            style &= ~box.bit;
            if (host::ButtonControl* check = style_check(box.id); check && check->is_checked())
                style |= box.bit;
        }
        xp_font_set_style(font, style);
    }
    if (ws->exists(dialog)) ws->destroy_window(dialog);
    return accepted;
}

} // namespace quillet
