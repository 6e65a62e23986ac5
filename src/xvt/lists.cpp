// The items of list boxes, list buttons and list edits: adding, clearing, counting and
// selecting, over the host's list controls.
#include "xvt/layer_state.h"

namespace quillet {

using namespace xvt_detail;

namespace {

host::WindowId list_control(XvtWindow control, std::string_view api) {
    LayerWindow* record = layer_window(control);
    bool list = record && (record->type == static_cast<int32_t>(ControlType::list_box) ||
                           record->type == static_cast<int32_t>(ControlType::list_button) ||
                           record->type == static_cast<int32_t>(ControlType::list_edit));
    if (!list) {
        xvt_report_error(api, ErrorCategory::list, ErrorId::illegal_window);
        return host::no_window;
    }
    return record->host;
}

bool valid_index(host::WindowId id, int32_t index, std::string_view api) {
    if (index >= 0 && index < app.windows->list_count(id)) return true;
    xvt_report_error(api, ErrorCategory::list, ErrorId::invalid_parameter);
    return false;
}

} // namespace

void xp_list_add(XvtWindow control, int32_t index, std::string_view text) {
    constexpr std::string_view api = "xp_list_add";
    host::WindowId id = list_control(control, api);
    if (id == host::no_window) return;
    if (index < -1) {
        xvt_report_error(api, ErrorCategory::list, ErrorId::invalid_parameter);
        return;
    }
    app.windows->list_add(id, index, text);
}

void xp_list_clear(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_clear");
    if (id != host::no_window) app.windows->list_clear(id);
}

int32_t xp_list_count_all(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_count_all");
    return id == host::no_window ? 0 : app.windows->list_count(id);
}

int32_t xp_list_count_sel(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_count_sel");
    return id == host::no_window ? 0 : static_cast<int32_t>(app.windows->list_selection(id).size());
}

XvtSlist xp_list_get_sel(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_get_sel");
    XvtSlist out;
    if (id == host::no_window) return out;
    for (int index : app.windows->list_selection(id))
        out.push_back({app.windows->list_text(id, index), index});
    return out;
}

int32_t xp_list_get_sel_index(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_get_sel_index");
    if (id == host::no_window) return -1;
    std::vector<int> selection = app.windows->list_selection(id);
    return selection.empty() ? -1 : selection.front();
}

bool xp_list_is_sel(XvtWindow control, int32_t index) {
    constexpr std::string_view api = "xp_list_is_sel";
    host::WindowId id = list_control(control, api);
    return id != host::no_window && valid_index(id, index, api) &&
           app.windows->list_is_selected(id, index);
}

void xp_list_set_sel(XvtWindow control, int32_t index, bool selected) {
    constexpr std::string_view api = "xp_list_set_sel";
    host::WindowId id = list_control(control, api);
    if (id == host::no_window || !valid_index(id, index, api)) return;
    // Unselecting an item that is not selected changes nothing (a drop-down list would
    // otherwise lose its choice).
    if (!selected && !app.windows->list_is_selected(id, index)) return;
    app.windows->list_set_selected(id, index, selected);
}

} // namespace quillet
