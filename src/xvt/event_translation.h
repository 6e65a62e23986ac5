// The translation of host messages into layer events (private to the layer; the window procedure
// delivers what it gives).
#pragma once

#include "host/windows/window_system.h"
#include "xvt/xvt.h"

#include <optional>

namespace quillet::xvt_detail {

// What a control's host notification code becomes.
enum class NotificationRule : uint8_t {
    focus_gained, // event 15 with focus 1, gained 1
    focus_lost,   // event 15 with focus 1, gained 0
    focus_flag,   // event 15 with focus 1 only
    plain,        // event 15
    none,         // no event
    unknown,      // no event; "unknown command message" in the diagnostics
};

// The rule for a notification code from a control of a layer control type.
NotificationRule notification_rule(int32_t code, int32_t control_type);

// The notification code the host's controls of that kind send for a notification, as a Win32
// host numbers them (BN_, EN_, LBN_, CBN_ codes); none where such a host sends nothing.
std::optional<int32_t> host_notification_code(host::ControlKind kind, host::Notify notify);

// The layer control type of a host control kind.
int32_t layer_control_type(host::ControlKind kind);

// Writes the event of a pointer message into `e` (zero-filled by the caller). The events are
// written in place: a 44-byte record built apart and copied would be read back in wider pieces
// than it was written in, which stalls the processor on every event. Inline, as the window
// procedure delivers pointer moves, the most frequent message, without the general table.
inline void translate_pointer(XvtEvent& e, EventKind kind, const host::Message& m) {
    e.words[0] = static_cast<int32_t>(kind);
    e.words[1] = xvt_pack_point(m.point);
    e.words[2] = (m.modifiers & host::mod_shift) ? 1 : 0;
    e.words[3] = (m.modifiers & host::mod_control) ? 1 : 0;
    if (kind != EventKind::mouse_move) e.words[4] = static_cast<int32_t>(m.button);
}

// Writes the event of a host message to a layer window of that type into `e` (zero-filled by
// the caller); false when the message gives no event (it then gets default handling). Messages
// that need the window system (paint) are not translated here.
bool translate_message(const host::WindowSystem& ws, const host::Message& m, int32_t window_type,
                       XvtEvent& e);

} // namespace quillet::xvt_detail
