#include "devices/devices_reset.h"

#include "devices/database_connections.h"
#include "devices/host_commands.h"
#include "devices/pipes.h"
#include "devices/program_files.h"
#include "devices/serial_ports.h"
#include "devices/sockets.h"
#include "devices/sound.h"

namespace quillet {

void reset_devices_state() {
    reset_program_files();
    reset_host_commands();
    reset_pipes();
    reset_sockets();
    reset_serial_ports();
    reset_sound();
    reset_database_connections();
}

} // namespace quillet
