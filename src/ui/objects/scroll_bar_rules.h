// The rules of scroll-bar settings, shared by scroll-bar controls and windows' own bars: what a
// stored value becomes, and how the settings reach a native bar (position clamped so that the
// thumb stays inside the range).
#pragma once

#include "ui/window_table.h"

#include <cstdint>

namespace quillet {

enum class ScrollSetting {
    single_increment,
    page_increment,
    position,
    range_start,
    range_end,
    proportion,
    text_edit,
};

// Stores a value: negative positions and ranges become 0, a start above the end drags the end
// up (and an end below the start drags the start down), a proportion below 2 becomes 1.
void store_scroll_setting(ScrollBarSettings& bar, ScrollSetting which, int32_t value);
int32_t scroll_setting(const ScrollBarSettings& bar, ScrollSetting which);

// Hands the settings to a native bar (`which`: 0 horizontal, 1 vertical window bar; ignored for
// controls). With a usable range the position is clamped into start..end - proportion and
// stored so; otherwise only the range is set and the bar shows the start.
void apply_scroll_settings(XvtWindow native, int32_t which, ScrollBarSettings& bar);

} // namespace quillet
