// The items of list boxes, list buttons and list edits: adding, clearing, counting and
// selecting, over the host's list controls.
#include "host/controls/controls.h"
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

// The host's list control; none for a window that is gone.
host::ListControl* items_of(host::WindowId id) {
    return host::find_control<host::ListControl>(*app.windows, id);
}

bool valid_index(const host::ListControl* list, int32_t index, std::string_view api) {
    if (list && index >= 0 && index < list->count()) return true;
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
    if (host::ListControl* list = items_of(id)) list->add(index, text);
}

void xp_list_clear(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_clear");
    if (host::ListControl* list = items_of(id)) list->clear();
}

int32_t xp_list_count_all(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_count_all");
    const host::ListControl* list = items_of(id);
    return list ? list->count() : 0;
}

int32_t xp_list_count_sel(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_count_sel");
    const host::ListControl* list = items_of(id);
    return list ? static_cast<int32_t>(list->selection().size()) : 0;
}

XvtSlist xp_list_get_sel(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_get_sel");
    XvtSlist out;
    const host::ListControl* list = items_of(id);
    if (!list) return out;
    for (int index : list->selection())
        out.push_back({list->text(index), index});
    return out;
}

int32_t xp_list_get_sel_index(XvtWindow control) {
    host::WindowId id = list_control(control, "xp_list_get_sel_index");
    const host::ListControl* list = items_of(id);
    if (!list) return -1;
    std::vector<int> selection = list->selection();
    return selection.empty() ? -1 : selection.front();
}

bool xp_list_is_sel(XvtWindow control, int32_t index) {
    constexpr std::string_view api = "xp_list_is_sel";
    host::WindowId id = list_control(control, api);
    if (id == host::no_window) return false;
    const host::ListControl* list = items_of(id);
    return valid_index(list, index, api) && list && list->is_selected(index);
}

void xp_list_set_sel(XvtWindow control, int32_t index, bool selected) {
    constexpr std::string_view api = "xp_list_set_sel";
    host::WindowId id = list_control(control, api);
    if (id == host::no_window) return;
    host::ListControl* list = items_of(id);
    if (!valid_index(list, index, api) || !list) return;
    // Unselecting an item that is not selected changes nothing (a drop-down list would
    // otherwise lose its choice).
    if (!selected && !list->is_selected(index)) return;
    list->set_selected(index, selected);
}

} // namespace quillet
