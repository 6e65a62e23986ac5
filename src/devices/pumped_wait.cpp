#include "devices/pumped_wait.h"

#include "xvt/xvt.h"

#include <poll.h>

namespace quillet {

void pump_then_wait(int fd, short events, std::chrono::microseconds longest) {
    process_host_messages();
    pollfd p = {fd, events, 0};
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(longest);
    timespec timeout = {
        seconds.count(),
        std::chrono::duration_cast<std::chrono::nanoseconds>(longest - seconds).count()};
    ppoll(&p, 1, &timeout, nullptr);
}

} // namespace quillet
