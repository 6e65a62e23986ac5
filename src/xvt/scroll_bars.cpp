// Scroll bars: range, position and proportion of scroll-bar controls and of windows' own bars.
#include "xvt/layer_state.h"

namespace quillet {

using namespace xvt_detail;

namespace {

// The host window and bar kind that `which` names, after reporting what is wrong.
std::optional<std::pair<host::WindowId, host::ScrollBarKind>> bar(XvtWindow window, int32_t which,
                                                                  std::string_view api) {
    LayerWindow* record = host_backed_window(window, api, ErrorCategory::sbar);
    if (!record) return std::nullopt;
    bool control = record->type == static_cast<int32_t>(ControlType::hscroll_bar) ||
                   record->type == static_cast<int32_t>(ControlType::vscroll_bar);
    if (record->type >= static_cast<int32_t>(ControlType::push_button) && !control &&
        record->type != static_cast<int32_t>(WindowType::text_edit)) {
        xvt_report_error(api, ErrorCategory::sbar, ErrorId::illegal_window);
        return std::nullopt;
    }
    if (!control && which != 0 && which != 1) {
        xvt_report_error(api, ErrorCategory::sbar, ErrorId::invalid_parameter);
        return std::nullopt;
    }
    return std::pair{record->host,
                     which == 0 ? host::ScrollBarKind::horizontal : host::ScrollBarKind::vertical};
}

} // namespace

void xp_sbar_set_range(XvtWindow window, int32_t which, int32_t minimum, int32_t maximum) {
    if (auto b = bar(window, which, "xp_sbar_set_range"))
        app.windows->set_scroll_range(b->first, b->second, minimum, maximum);
}

void xp_sbar_set_pos(XvtWindow window, int32_t which, int32_t position) {
    if (auto b = bar(window, which, "xp_sbar_set_pos"))
        app.windows->set_scroll_pos(b->first, b->second, position);
}

int32_t xp_sbar_get_pos(XvtWindow window, int32_t which) {
    auto b = bar(window, which, "xp_sbar_get_pos");
    return b ? app.windows->scroll_pos(b->first, b->second) : 0;
}

void xp_sbar_set_proportion(XvtWindow window, int32_t which, int32_t proportion) {
    if (auto b = bar(window, which, "xp_sbar_set_proportion"))
        app.windows->set_scroll_proportion(b->first, b->second, proportion);
}

} // namespace quillet
