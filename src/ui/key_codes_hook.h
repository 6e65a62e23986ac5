// The engine's key hook, installed in the windowing layer while the key-codes switch of SYS_INFO
// is on: a key typed with the control key held then arrives as the key's own code with the
// control flag (Ctrl+M as "M", no longer as 13, the code of Enter), so that a program can tell
// Ctrl+M from Enter, Ctrl+I from Tab, Ctrl+H from Backspace and Ctrl+[ from Escape.
#pragma once

#include <cstdint>

namespace quillet {

// Installs (true) or removes the hook.
void set_key_codes_hook(bool on);

// The hook's translation of one key: a control character typed with control held becomes the
// character 0x40 above it ("@", "A".."Z", "[", "\", "]", "^", "_"); other keys are left alone.
void translate_key_code(int32_t& key, int32_t& shift, int32_t control);

} // namespace quillet
