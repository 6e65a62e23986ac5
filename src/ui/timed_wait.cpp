#include "ui/timed_wait.h"

#include "interp/registers.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"

#include <algorithm>

namespace quillet {
namespace {

// One timer of at most INT32_MAX ms; false when the wait could not run on a window timer.
bool wait_on_timer(XvtWindow window, int32_t ms) {
    engine_timers.pause = xp_timer_create(window, ms);
    if (engine_timers.pause == 0) return false;
    // The window's timer event kills the timer and clears the slot.
    while (engine_timers.pause != 0) {
        if (!xvt_wait_message()) {
            xp_timer_destroy(engine_timers.pause);
            engine_timers.pause = 0;
            return false;
        }
        act_on_exit_request();
    }
    return true;
}

} // namespace

void timed_wait(int64_t ms) {
    if (ms <= 0) return;
    // Kept by a scope: a raise of a routine run from a window event may leave through the wait.
    struct BusyMark {
        int32_t saved = vm.busy_mark;
        BusyMark() { vm.busy_mark = 1; }
        ~BusyMark() { vm.busy_mark = saved; }
    } busy;
    while (ms > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(ms, INT32_MAX));
        XvtWindow window = timer_window();
        if (window == no_xvt_window || !wait_on_timer(window, chunk)) xvt_timed_wait(chunk);
        ms -= chunk;
    }
}

} // namespace quillet
