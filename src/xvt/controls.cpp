// Controls: the host's buttons, edits, static texts, lists and scroll bars as child windows of
// layer windows, with layer records so that their handles are small integers and their
// notifications name them.
#include "host/controls/controls.h"

#include "xvt/layer_state.h"

#include <algorithm>

namespace quillet {

using namespace xvt_detail;

// Controls keep the host's behaviour; the layer only forgets their record when they go.
intptr_t xvt_detail::layer_control_procedure(host::WindowSystem& ws, const host::Message& m) {
    if (m.kind == host::Msg::destroy) forget_layer_window(layer_handle(m.window));
    return ws.default_procedure(m);
}

namespace {

std::optional<host::ControlKind> host_kind(int32_t type) {
    switch (type) {
#define X(type, name, host_kind)                                                                   \
    case type:                                                                                     \
        return host::ControlKind::host_kind;
#include "xvt/control_types.def"
#undef X
    default: return std::nullopt;
    }
}

bool is_checkable(int32_t type) {
    return type == static_cast<int32_t>(ControlType::check_box) ||
           type == static_cast<int32_t>(ControlType::radio_button);
}

LayerWindow* checkable(XvtWindow control, std::string_view api) {
    LayerWindow* record = layer_window(control);
    if (!record || record->host == host::no_window || !is_checkable(record->type)) {
        xvt_report_error(api, ErrorCategory::ctl, ErrorId::illegal_window);
        return nullptr;
    }
    return record;
}

} // namespace

XvtWindow xp_ctl_create_def(const XvtCtlDef& def, XvtWindow parent, long data) {
    constexpr std::string_view api = "xp_ctl_create_def";
    LayerWindow* parent_record =
        checked_window(parent, api, ErrorCategory::ctl, [](const WindowTypeInfo& t) {
            return t.type == 1 || t.type == 2 || t.type == 3 || t.type == 7;
        });
    if (!parent_record) return no_xvt_window;
    std::optional<host::ControlKind> kind = host_kind(def.type);
    if (!kind) {
        xvt_report_error(api, ErrorCategory::ctl, ErrorId::unsupported_control);
        return no_xvt_window;
    }
    if (kind == host::ControlKind::static_left && (def.flags & xvt_ctl_flag::centered))
        kind = host::ControlKind::static_center;
    else if (kind == host::ControlKind::static_left && (def.flags & xvt_ctl_flag::right))
        kind = host::ControlKind::static_right;
    host::ControlDef host_def;
    host_def.kind = *kind;
    host_def.rect = def.rect;
    host_def.text = std::string(def.title);
    host_def.id = def.id;
    host_def.default_button = def.flags & xvt_ctl_flag::default_button;
    host_def.disabled = def.flags & xvt_ctl_flag::disabled;
    host_def.hidden = def.flags & xvt_ctl_flag::hidden;
    host_def.selection =
        (def.flags & xvt_ctl_flag::extended_selection)   ? host::ListSelection::extended
        : (def.flags & xvt_ctl_flag::multiple_selection) ? host::ListSelection::multiple
                                                         : host::ListSelection::single;
    // A button's text is placed by the flags as static text is: left without either.
    if (kind == host::ControlKind::push_button || kind == host::ControlKind::check_box ||
        kind == host::ControlKind::radio_button)
        host_def.button_align = (def.flags & xvt_ctl_flag::centered) ? host::ButtonAlign::center
                                : (def.flags & xvt_ctl_flag::right)  ? host::ButtonAlign::right
                                                                     : host::ButtonAlign::left;
    auto record = std::make_unique<LayerWindow>();
    record->type = def.type;
    record->parent = parent;
    record->data = data;
    XvtWindow control = add_layer_window(std::move(record));
    host::WindowId id = host::create_control(*app.windows, parent_record->host, host_def);
    if (control == no_xvt_window || id == host::no_window) {
        if (control != no_xvt_window) forget_layer_window(control);
        xvt_report_error(api, ErrorCategory::ctl, ErrorId::host_null);
        return no_xvt_window;
    }
    bind_host_window(control, id);
    app.windows->set_procedure(id, layer_control_procedure);
    return control;
}

void xp_ctl_set_checked(XvtWindow control, bool checked) {
    if (LayerWindow* record = checkable(control, "xp_ctl_set_checked"))
        if (auto* button = host::find_control<host::ButtonControl>(*app.windows, record->host))
            button->set_checked(checked);
}

bool xvt_ctl_is_checked(XvtWindow control) {
    LayerWindow* record = layer_window(control);
    if (!record || !is_checkable(record->type)) return false;
    auto* button = host::find_control<host::ButtonControl>(*app.windows, record->host);
    return button && button->is_checked();
}

void xp_ctl_check_radio_button(XvtWindow control, std::span<const XvtWindow> group) {
    constexpr std::string_view api = "xp_ctl_check_radio_button";
    LayerWindow* chosen = checkable(control, api);
    if (!chosen) return;
    if (std::find(group.begin(), group.end(), control) == group.end()) {
        xvt_report_error(api, ErrorCategory::ctl, ErrorId::invalid_parameter);
        return;
    }
    // Members that are gone are left out rather than refusing the whole group.
    std::vector<host::WindowId> members;
    for (XvtWindow member : group)
        if (LayerWindow* r = layer_window(member); r && is_checkable(r->type))
            members.push_back(r->host);
    host::check_radio(*app.windows, members, chosen->host);
}

void xp_ctl_set_text_sel(XvtWindow control, int32_t start, int32_t end) {
    LayerWindow* record = layer_window(control);
    if (!record || record->host == host::no_window ||
        (record->type != static_cast<int32_t>(ControlType::edit) &&
         record->type != static_cast<int32_t>(ControlType::list_edit))) {
        xvt_report_error("xp_ctl_set_text_sel", ErrorCategory::ctl, ErrorId::illegal_window);
        return;
    }
    if (host::EditControl* edit = host::find_edit(*app.windows, record->host))
        edit->select(start, end);
}

} // namespace quillet
