// The event handler of every window the ui layer makes: the window record's side of each host
// event, and the hand-over to the event queue, controls and text edits.
#pragma once

#include "xvt/xvt.h"

namespace quillet {

long window_event_handler(XvtWindow native, const XvtEvent& event);

} // namespace quillet
