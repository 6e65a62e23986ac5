#include "ui/window_table.h"

namespace quillet {

void reset_window_table() {
    window_table = WindowTable{};
}

bool is_valid_window(int n) {
    return n >= 0 && n <= window_table.highest && n < window_count && window_record(n).in_use();
}

WindowRecord* find_window(int n) {
    return is_valid_window(n) ? &window_record(n) : nullptr;
}

int allocate_window_number() {
    for (int n = 1; n <= window_table.highest; ++n)
        if (!window_record(n).in_use()) return n;
    if (window_table.highest + 1 >= window_count) return -1;
    return ++window_table.highest;
}

int window_number_of(XvtWindow native) {
    if (native == no_xvt_window || native == free_window_slot) return -1;
    for (int n = 0; n < window_count; ++n)
        if (window_record(n).native_window == native) return n;
    // A window still inside its creation: its record does not know it yet, its data does.
    if (xvt_host_window(native) == 0) return -1;
    long data = xp_vobj_get_data(native);
    if (data < 0 || data >= window_count) return -1;
    const WindowRecord& record = window_record(static_cast<int>(data));
    return record.in_use() && record.native_window == no_xvt_window ? static_cast<int>(data) : -1;
}

bool is_user_window(XvtWindow native) {
    int n = window_number_of(native);
    return n >= 1 && n < window_count;
}

} // namespace quillet
