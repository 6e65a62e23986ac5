// SYS_INFO (window method 9): what the BASIC library learns about the display, the host and the
// engine, one attribute name at a time, and the settings it changes the same way (the no-menus
// value, the key-codes switch, the list delimiter).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillet {

namespace err {
inline constexpr int32_t unanswered_system_info = -11222; // "Unknown or invalid SYS_INFO request."
inline constexpr int32_t unknown_attribute = -11225;
} // namespace err

enum class SystemInfo : int32_t {
#define X(number, name, identifier) identifier = number,
#include "ui/system_info_attributes.def"
#undef X
};

// The attribute a name finds: the name followed by "|" is looked for in the table's text, so
// that the trailing part of a listed name finds that name; 0 when it is not there.
int32_t system_info_number(std::string_view name);

// The values a query reads (at the value arrays' running cursors) and the results it appends.
struct SystemInfoRequest {
    std::function<int32_t()> next_number;
    std::function<std::string()> next_text;
    std::function<void(double)> answer_number;
    std::function<void(std::string_view)> answer_text;
};

// Answers one attribute name for window n (not checked: window-dependent answers of a window
// that is not in use read the screen's). An unknown name raises -11225; "apple event" and "grab
// cursor" soft-raise -11222 and give no answer.
void answer_system_info(int n, std::string_view name, SystemInfoRequest& request);

// The settings SYS_INFO keeps.
struct SystemInfoState {
    int32_t no_menus = 0;
    int32_t key_codes = 0; // the key-codes switch, 0 off
};

inline SystemInfoState system_info_state;

} // namespace quillet
