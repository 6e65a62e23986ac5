// The reset of the devices layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Closes the program's files (and with them their locks), pipes, sockets and serial ports,
// disconnects from databases, stops the tune and reaps ended background commands.
void reset_devices_state();

} // namespace quillet
