// Window timers: periodic host timers whose expiries reach the window as event 16, named by the
// layer's small timer handles.
#include "xvt/layer_state.h"

namespace quillet {

using namespace xvt_detail;

XvtTimer xp_timer_create(XvtWindow window, int32_t interval_ms) {
    constexpr std::string_view api = "xp_timer_create";
    LayerWindow* record = checked_window(window, api, ErrorCategory::timer,
                                         [](const WindowTypeInfo& info) { return info.timers; });
    if (!record) return 0;
    if (interval_ms < 0) {
        xvt_report_error(api, ErrorCategory::timer, ErrorId::invalid_parameter);
        return 0;
    }
    XvtTimer timer = app.timers.add(std::make_unique<LayerTimer>(LayerTimer{window}));
    if (timer == 0 ||
        !app.windows->set_timer(record->host, static_cast<int>(timer), interval_ms, true)) {
        app.timers.remove(timer);
        xvt_report_error(api, ErrorCategory::timer, ErrorId::host_error);
        return 0;
    }
    return timer;
}

void xp_timer_destroy(XvtTimer timer) {
    std::unique_ptr<LayerTimer> record = app.timers.remove(timer);
    if (!record) {
        xvt_report_error("xp_timer_destroy", ErrorCategory::timer, ErrorId::invalid_parameter);
        return;
    }
    if (LayerWindow* window = layer_window(record->window))
        app.windows->kill_timer(window->host, static_cast<int>(timer));
}

} // namespace quillet
