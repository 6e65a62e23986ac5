// Timers of the windowing layer: one-shot timers with deadlines, and the waits that keep windows
// alive during a pause or while a device has nothing to give.
//
// The timers are kept here by deadline; the layer's window procedures will deliver their expiry
// as events once the default window exists. Until then a caller asks whether a timer expired.
#include "xvt/xvt.h"

#include <algorithm>
#include <chrono>
#include <poll.h>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

// Between two pumps of a timed wait the layer sleeps this long at most, so that a wait costs almost
// no processor time and windows still answer promptly.
constexpr auto pump_interval = std::chrono::milliseconds(2);

} // namespace

void reset_xvt_timers() {
    xvt_timers = {};
}

void xvt_pump_then_wait(int fd, short events, std::chrono::microseconds longest) {
    process_host_messages();
    pollfd p = {fd, events, 0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(longest);
    const timespec timeout = {
        seconds.count(),
        std::chrono::duration_cast<std::chrono::nanoseconds>(longest - seconds).count()};
    ppoll(&p, 1, &timeout, nullptr);
}

void xvt_timed_wait(int64_t ms) {
    if (ms <= 0) return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (Clock::duration left = deadline - Clock::now(); left > Clock::duration::zero();
         left = deadline - Clock::now())
        xvt_pump_then_wait(-1, 0,
                           std::chrono::ceil<std::chrono::microseconds>(
                               std::min<Clock::duration>(left, pump_interval)));
    process_host_messages();
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
