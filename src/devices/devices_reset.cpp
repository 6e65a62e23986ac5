#include "devices/devices_reset.h"

#include "devices/host_commands.h"
#include "devices/program_files.h"

namespace quillet {

void reset_devices_state() {
    reset_program_files();
    reset_host_commands();
}

} // namespace quillet
