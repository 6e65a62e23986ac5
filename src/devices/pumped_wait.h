// Waits of the device bifs that keep the windows alive: between pumps of host messages the engine
// sleeps on the descriptor it waits for, a few milliseconds at a time, so an idle wait costs no
// CPU and a stop request or a repaint is served within a few milliseconds.
#pragma once

#include <chrono>

namespace quillet {

inline constexpr std::chrono::microseconds pump_interval{10000};

// Pumps host messages, then sleeps until fd reports one of events (or an error or hang-up), at
// most longest. A negative fd just sleeps. Callers loop around their non-blocking attempt.
void pump_then_wait(int fd, short events, std::chrono::microseconds longest = pump_interval);

} // namespace quillet
