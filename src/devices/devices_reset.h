// The reset of the devices layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Closes the program's files (and with them their locks), reaps ended background commands,
// disarms the input time limit, closes the serial ports and disconnects from databases.
void reset_devices_state();

} // namespace quillet
