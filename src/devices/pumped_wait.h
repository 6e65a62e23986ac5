// Waits of the device bifs that keep the windows alive: between pumps of host messages the engine
// sleeps on the descriptor it waits for, a few milliseconds at a time, so an idle wait costs no
// CPU and a stop request or a repaint is served within a few milliseconds.
#pragma once

namespace quillet {

// Pumps host messages, then sleeps until fd reports one of events (or an error or hang-up), at
// most one short interval. A negative fd just sleeps the interval. Callers loop around their
// non-blocking attempt.
void pump_then_wait(int fd, short events);

} // namespace quillet
