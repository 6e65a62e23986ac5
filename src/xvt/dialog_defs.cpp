// Modal dialogs built from item definitions: a layer window of type 3 over a host dialog with its
// controls, whose events go to the caller's handler until the handler destroys it.
#include "host/controls/controls.h"
#include "host/controls/dialogs.h"
#include "xvt/event_translation.h"
#include "xvt/layer_state.h"
#include "xvt/window_drawing.h"
#include "xvt/window_procedure.h"

#include <utility>
#include <vector>

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr std::string_view api = "xp_dlg_create_def";

std::optional<host::ControlKind> host_kind_of(const XvtDialogItem& item) {
    if (item.type == static_cast<int32_t>(ControlType::static_text)) {
        if (item.flags & xvt_dlg_flag::centered) return host::ControlKind::static_center;
        if (item.flags & xvt_dlg_flag::right) return host::ControlKind::static_right;
    }
    switch (item.type) {
#define X(type, name, host_kind)                                                                   \
    case type:                                                                                     \
        return host::ControlKind::host_kind;
#include "xvt/control_types.def"
#undef X
    default: return std::nullopt;
    }
}

host::ControlDef control_of(const XvtDialogItem& item, host::ControlKind kind) {
    host::ControlDef c;
    c.kind = kind;
    c.rect = item.rect.normalized();
    c.text = std::string(item.text);
    c.id = item.id;
    c.default_button = item.flags & xvt_dlg_flag::default_button;
    c.disabled = item.flags & xvt_dlg_flag::disabled;
    c.hidden = item.flags & xvt_dlg_flag::hidden;
    c.selection = item.flags & xvt_dlg_flag::extended   ? host::ListSelection::extended
                  : item.flags & xvt_dlg_flag::multiple ? host::ListSelection::multiple
                                                        : host::ListSelection::single;
    return c;
}

// The host fonts of a dialog's texts, each font object opened once: an item's own font, else the
// dialog's, else none (the interface font).
class DialogFonts {
public:
    explicit DialogFonts(XvtFont dialog_font) : m_dialog_font(dialog_font) {}

    // False after reporting a stale font or one the host cannot serve.
    bool font_of(const XvtDialogItem& item, std::shared_ptr<const Font>& out) {
        const XvtFont font = item.font != 0 ? item.font : m_dialog_font;
        out = nullptr;
        if (font == 0) return true;
        for (const auto& [object, host_font] : m_opened)
            if (object == font) {
                out = host_font;
                return true;
            }
        out = screen_font(font, api);
        if (!out) return false;
        m_opened.emplace_back(font, out);
        return true;
    }

private:
    XvtFont m_dialog_font;
    std::vector<std::pair<XvtFont, std::shared_ptr<const Font>>> m_opened;
};

bool takes_focus(const host::ControlDef& c) {
    return !c.disabled && !c.hidden && c.kind != host::ControlKind::group_box &&
           c.kind != host::ControlKind::static_left && c.kind != host::ControlKind::static_center &&
           c.kind != host::ControlKind::static_right;
}

// The dialog's controls get layer records, so that xvt_win_get_ctl and the window operations
// take them and their notifications name them.
void bind_controls(host::WindowSystem& ws, XvtWindow dialog, host::WindowId id) {
    for (host::WindowId child : ws.children(id)) {
        std::optional<host::ControlKind> kind = ws.control_kind(child);
        if (!kind) continue;
        auto record = std::make_unique<LayerWindow>();
        record->type = layer_control_type(*kind);
        record->parent = dialog;
        const XvtWindow control = add_layer_window(std::move(record));
        if (control == no_xvt_window) continue;
        bind_host_window(control, child);
        ws.set_procedure(child, layer_control_procedure);
    }
}

} // namespace

bool xp_dlg_create_def(const XvtDialogItem* items, XvtEventHandler handler, long data,
                       XvtFont font) {
    if (!items || (items[0].type != 10 && items[0].type != 11)) {
        xvt_report_error(api, ErrorCategory::dlg, ErrorId::invalid_parameter);
        return false;
    }
    host::WindowSystem* ws = window_system();
    if (!ws) {
        xvt_report_error(api, ErrorCategory::dlg, ErrorId::host_null);
        return false;
    }
    const IntRect client = items[0].rect.normalized();
    host::DialogDef def;
    def.title = std::string(items[0].text);
    def.client_size = {static_cast<int>(client.width()), static_cast<int>(client.height())};
    // Fonts are opened before anything is built, so that a bad one leaves nothing behind.
    DialogFonts fonts(font);
    for (const XvtDialogItem* item = items + 1; item->type != 0; ++item) {
        std::optional<host::ControlKind> kind = host_kind_of(*item);
        if (!kind) {
            xvt_report_error(api, ErrorCategory::dlg, ErrorId::unsupported_control);
            return false;
        }
        def.controls.push_back(control_of(*item, *kind));
        if (!fonts.font_of(*item, def.controls.back().font)) return false;
    }

    auto record = std::make_unique<LayerWindow>();
    record->type = static_cast<int32_t>(WindowType::dialog);
    if (handler) record->handler = std::make_unique<const XvtEventHandler>(std::move(handler));
    record->data = data;
    const XvtWindow dialog = add_layer_window(std::move(record));
    const host::WindowId id =
        dialog ? host::create_dialog(*ws, def, ws->active_window(), layer_window_procedure)
               : host::no_window;
    if (id == host::no_window) {
        if (dialog) forget_layer_window(dialog);
        xvt_report_error(api, ErrorCategory::dlg, ErrorId::no_memory);
        return false;
    }
    // The client area goes where the definition puts it.
    const IntRect inner = ws->client_area_in_outer(id), outer = ws->outer_rect(id);
    ws->move_window(id, {client.left - inner.left, client.top - inner.top,
                         client.left - inner.left + static_cast<int>(outer.width()),
                         client.top - inner.top + static_cast<int>(outer.height())});
    // Shown, with the focus on the first control that takes it, before the handler's event 0,
    // which may move the focus (a hidden dialog's controls take no focus).
    ws->show_window(id, true);
    ws->activate(id);
    for (const host::ControlDef& c : def.controls)
        if (takes_focus(c)) {
            ws->set_focus(host::control_by_id(*ws, id, c.id));
            break;
        }
    // Messages reach the handler from event 0 on: the showing and focus above were the
    // dialog's own.
    ws->set_data(id, static_cast<intptr_t>(dialog));
    bind_host_window(dialog, id);
    bind_controls(*ws, dialog, id);
    host::Message create;
    create.window = id;
    create.kind = host::Msg::create;
    ws->send(create);
    if (!ws->exists(id)) return true; // the handler ended it at once
    ws->run_modal(id);
    if (ws->exists(id)) ws->destroy_window(id);
    return true;
}

} // namespace quillet
