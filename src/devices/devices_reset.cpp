#include "devices/devices_reset.h"

#include "devices/devices_state.h"
#include "devices/host_commands.h"

#include <utility>

namespace quillet {

DevicesState devices_state;

void reset_devices_state() {
    // The old state's parts let go of what they hold as they are replaced: files (and their
    // locks), pipes, sockets and serial ports are closed, the tune stops and its output closes,
    // the databases are disconnected. (From a named value: GCC 12 warns that a temporary's map
    // may be used uninitialized.)
    DevicesState fresh;
    devices_state = std::move(fresh);
    reset_host_commands();
}

} // namespace quillet
