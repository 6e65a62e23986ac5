#include "ui/engine_timers.h"

#include "ui/window_table.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr int32_t negative_timeout = 8402;

void kill(XvtTimer& slot) {
    if (slot != 0) xp_timer_destroy(slot);
    slot = 0;
}

} // namespace


XvtWindow timer_window() {
    for (int n : {window_table.current, default_window}) {
        const WindowRecord* record = find_window(n);
        if (record && record->native_window != no_xvt_window) return record->native_window;
    }
    return no_xvt_window;
}

void arm_input_time_limit(int32_t seconds) {
    if (seconds < 0) raise_error(negative_timeout);
    disarm_input_time_limit();
    XvtWindow window = timer_window();
    if (window == no_xvt_window) return;
    int64_t ms = std::min<int64_t>(int64_t{seconds} * 1000, INT32_MAX);
    engine_timers.input_limit = xp_timer_create(window, static_cast<int32_t>(ms));
}

void disarm_input_time_limit() {
    kill(engine_timers.input_limit);
    engine_timers.input_limit_expired = false;
}

bool engine_timer_expired(XvtTimer timer) {
    if (timer == 0) return false;
    for (XvtTimer* slot : {&engine_timers.input_limit, &engine_timers.pause,
                           &engine_timers.get_event, &engine_timers.fourth}) {
        if (*slot != timer) continue;
        kill(*slot);
        if (slot == &engine_timers.input_limit) engine_timers.input_limit_expired = true;
        return true;
    }
    return false;
}

} // namespace quillet
