#include "ui/objects/scroll_bar_rules.h"

#include <algorithm>

namespace quillet {

void store_scroll_setting(ScrollBarSettings& bar, ScrollSetting which, int32_t value) {
    switch (which) {
    case ScrollSetting::single_increment: bar.single_increment = value; break;
    case ScrollSetting::page_increment: bar.page_increment = value; break;
    case ScrollSetting::position: bar.position = std::max(value, 0); break;
    case ScrollSetting::range_start:
        bar.range_start = std::max(value, 0);
        bar.range_end = std::max(bar.range_end, bar.range_start);
        break;
    case ScrollSetting::range_end:
        bar.range_end = std::max(value, 0);
        bar.range_start = std::min(bar.range_start, bar.range_end);
        break;
    case ScrollSetting::proportion: bar.proportion = value < 2 ? 1 : value; break;
    case ScrollSetting::text_edit: bar.attached_text_edit = value; break;
    }
}

int32_t scroll_setting(const ScrollBarSettings& bar, ScrollSetting which) {
    switch (which) {
    case ScrollSetting::single_increment: return bar.single_increment;
    case ScrollSetting::page_increment: return bar.page_increment;
    case ScrollSetting::position: return bar.position;
    case ScrollSetting::range_start: return bar.range_start;
    case ScrollSetting::range_end: return bar.range_end;
    case ScrollSetting::proportion: return bar.proportion;
    case ScrollSetting::text_edit: return bar.attached_text_edit;
    }
    return 0;
}

void apply_scroll_settings(XvtWindow native, int32_t which, ScrollBarSettings& bar) {
    int32_t start = bar.range_start, end = bar.range_end;
    if (start < end && bar.proportion <= end - start) {
        bar.position = std::min(std::clamp(bar.position, start, end), end - bar.proportion);
        xp_sbar_set_range(native, which, start, end);
        xp_sbar_set_proportion(native, which, bar.proportion);
        xp_sbar_set_pos(native, which, bar.position);
    } else {
        xp_sbar_set_range(native, which, start, end);
        xp_sbar_set_pos(native, which, start);
    }
}

} // namespace quillet
