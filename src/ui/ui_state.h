// The ui layer's state: everything a program can leave in the layer, in one struct that
// reset_ui_state (ui_reset.h) replaces with a fresh value. Each part keeps its name where it is
// declared (window_table, object_tables, colours, key_queue, event_queue, ...): a reference into
// this struct.
//
// Not in it: the interpreter's upper-layer hooks that start-up fills on purpose (ui_hooks.h),
// which no reset touches.
#pragma once

#include "ui/colours.h"
#include "ui/controls/control_handler.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"
#include "ui/events/event_queue.h"
#include "ui/events/event_queue_state.h"
#include "ui/keys_and_mouse.h"
#include "ui/menus/menu_tree.h"
#include "ui/objects/object_table.h"
#include "ui/splash.h"
#include "ui/switch_stack.h"
#include "ui/system_info.h"
#include "ui/text_edits/text_edit_state.h"
#include "ui/window_table.h"

namespace quillet {

struct UiState {
    WindowTable windows;
    ObjectTables objects;
    ColourState colours;
    SystemMeasures measures;
    KeyQueue keys;
    SwitchStack switches;
    // The timers die with their windows; a window system already gone has none left to kill.
    EngineTimers timers;
    SystemInfoState system_info;
    EventQueueState events;
    TextEditServed text_edit_served;
    TextEditEngine text_edits;
    ControlEvents control_events;
    MenuTree menus;
    Splash splash;
};

extern UiState ui_state;

} // namespace quillet
