#include "devices/device_polling.h"

#include "devices/serial_ports.h"
#include "devices/sound.h"

namespace quillet {

void poll_devices_after_pump() {
    poll_serial_ports_after_pump();
    deliver_sound_position();
}

} // namespace quillet
