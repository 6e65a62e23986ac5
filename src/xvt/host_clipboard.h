// The host's clipboard itself, for the engine's picture path (packed device-independent bitmaps),
// which goes around the layer's text-only clipboard operations.
#pragma once

namespace quillet {

namespace host {
class Clipboard;
}

// nullptr without a window system.
host::Clipboard* xvt_host_clipboard();

} // namespace quillet
