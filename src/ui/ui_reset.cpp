#include "ui/ui_reset.h"

#include "ui/colours.h"
#include "ui/controls/install_controls.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_table.h"
#include "ui/switch_stack.h"
#include "ui/system_info.h"
#include "ui/window_table.h"

namespace quillet {

void reset_ui_state() {
    reset_window_table();
    reset_object_tables();
    reset_controls();
    reset_colours();
    reset_key_queue();
    reset_switch_stack();
    reset_engine_timers();
    system_info_state = SystemInfoState{};
    set_key_codes_hook(false);
    system_measures = SystemMeasures{};
}

} // namespace quillet
