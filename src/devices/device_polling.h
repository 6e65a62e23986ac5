// What the devices do after each pump of the op loop, on the interpreter's thread.
#pragma once

namespace quillet {

// Serial ports gather what they received; a playing tune's position reaches its string.
void poll_devices_after_pump();

} // namespace quillet
