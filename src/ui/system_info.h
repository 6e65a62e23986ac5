// SYS_INFO (window method 9): what the BASIC library learns about the display, the host and the
// engine, one attribute name at a time, and the settings it changes the same way (the no-menus
// value, the key-codes switch, the list delimiter).
#pragma once

#include "ui/objects/object_request.h"

#include <cstdint>

namespace quillet {

inline constexpr int32_t unanswered_system_info = -11222; // Unknown or invalid SYS_INFO request.

enum class SystemInfo : int32_t {
#define X(number, name, identifier) identifier = number,
#include "ui/system_info_attributes.def"
#undef X
};

// Answers every attribute name of the request for window n (not checked: the window-dependent
// answers of a number that is no window in use are the screen's), taking inputs from the value
// lists and appending the results. An unknown name raises -11225; "apple event" and "grab
// cursor" soft-raise -11222 and give no answer.
void answer_system_info(int n, ObjectRequest& request);

// The settings SYS_INFO keeps.
struct SystemInfoState {
    int32_t no_menus = 0;
    int32_t key_codes = 0; // the key-codes switch, 0 off
};

extern SystemInfoState& system_info_state; // part of the ui layer's state (ui_state.h)

} // namespace quillet
