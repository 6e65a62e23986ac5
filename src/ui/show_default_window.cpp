#include "ui/default_window.h"
#include "ui/window_table.h"

namespace quillet {

void show_default_window() {
    if (window_table.current != default_window || !window_table.default_not_yet_shown) return;
    WindowRecord& record = window_record(default_window);
    if (!record.in_use() || record.native_window == no_xvt_window) return;
    xp_vobj_set_visible(record.native_window, true);
    process_host_messages();
    xp_vobj_raise(record.native_window);
    xvt_scr_set_focus_vobj(record.native_window);
    window_table.default_not_yet_shown = false;
    record.state = WindowState::shown;
}

} // namespace quillet
