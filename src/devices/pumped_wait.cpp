#include "devices/pumped_wait.h"

#include "xvt/xvt.h"

#include <poll.h>

namespace quillet {
namespace {

constexpr int pump_interval_ms = 10;

} // namespace

void pump_then_wait(int fd, short events) {
    process_host_messages();
    pollfd p = {fd, events, 0};
    poll(&p, 1, pump_interval_ms);
}

} // namespace quillet
