// The reset of the devices layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Closes the program's files (and with them their locks), pipes, sockets and serial ports,
// disconnects from databases, reaps ended background commands and disarms the input time limit.
void reset_devices_state();

} // namespace quillet
