#include "ui/ui_state.h"

#include "ui/ui_reset.h"

namespace quillet {

UiState ui_state;

WindowTable& window_table = ui_state.windows;
ObjectTables& object_tables = ui_state.objects;
ColourState& colours = ui_state.colours;
SystemMeasures& system_measures = ui_state.measures;
KeyQueue& key_queue = ui_state.keys;
SwitchStack& switch_stack = ui_state.switches;
EngineTimers& engine_timers = ui_state.timers;
SystemInfoState& system_info_state = ui_state.system_info;
EventQueueState& event_queue = ui_state.events;
TextEditServed& text_edit_served = ui_state.text_edit_served;
TextEditEngine& text_edit_engine = ui_state.text_edits;
ControlEvents& control_events = ui_state.control_events;
MenuTree& menu_tree = ui_state.menus;

void reset_ui_state() {
    ui_state = UiState{};
    set_key_codes_hook(false);
}

} // namespace quillet
