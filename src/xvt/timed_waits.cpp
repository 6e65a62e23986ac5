// The waits of the windowing layer that keep windows alive during a pause or while a device has
// nothing to give. (Window timers live with the layer's windows, in window_timers.cpp.)
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

} // namespace quillet
