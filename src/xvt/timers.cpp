// Timers of the windowing layer: one-shot timers with deadlines, and the timed wait that keeps
// windows alive during a pause.
//
// The timers are kept here by deadline; the layer's window procedures will deliver their expiry
// as events once the default window exists. Until then a caller asks whether a timer expired.
#include "xvt/xvt.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

// Between two pumps of a wait the layer sleeps this long at most, so that a wait costs almost no
// processor time and windows still answer promptly.
constexpr auto pump_interval = std::chrono::milliseconds(2);

} // namespace

void reset_xvt_timers() {
    xvt_timers = {};
}

void xvt_timed_wait(int64_t ms) {
    if (ms <= 0) return;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        process_host_messages();
        Clock::time_point now = Clock::now();
        if (now >= deadline) return;
        std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, pump_interval));
    }
}

int xvt_timer_create(int64_t ms) {
    int id = ++xvt_timers.last_id;
    int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count();
    xvt_timers.deadlines[id] = now + std::max<int64_t>(ms, 0);
    return id;
}

void xvt_timer_kill(int id) {
    xvt_timers.deadlines.erase(id);
}

bool xvt_timer_expired(int id) {
    auto it = xvt_timers.deadlines.find(id);
    if (it == xvt_timers.deadlines.end()) return false;
    int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count();
    return now >= it->second;
}

} // namespace quillet
