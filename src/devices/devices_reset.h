// The reset of the devices layer: everything a program can leave in it.
#pragma once

namespace quillet {

// Replaces the layer's state (devices_state.h) with a fresh value, which closes the program's
// files (and with them their locks), pipes, sockets and serial ports, disconnects from databases
// and stops the tune; then reaps the background commands that have ended.
void reset_devices_state();

} // namespace quillet
