#include "ui/objects/window_routines.h"

#include "interp/bif_dispatch.h"
#include "interp/registers.h"
#include "ui/switch_stack.h"
#include "ui/window_table.h"

namespace quillet {

void enter_requested_routine(const ObjectRequest& request) {
    std::optional<WindowRoutine> routine = request.routine_after();
    if (!routine || vm.fp() == 0 || !has_bcode_bif(routine->number)) return;
    push_switch(vm.pump_enabled);
    vm.pump_enabled = 0;
    window_table.saved_current = window_table.current;
    window_table.current = routine->window;
    bcode_bif(routine->number);
}

void finish_window_routine() {
    if (find_window(window_table.saved_current)) window_table.current = window_table.saved_current;
    vm.pump_enabled = pop_switch();
}

} // namespace quillet
