#include "ui/objects/window_routines.h"

#include "interp/bif_dispatch.h"
#include "interp/nested_run.h"
#include "interp/registers.h"
#include "ui/switch_stack.h"
#include "ui/window_table.h"

namespace quillet {
namespace {

// What a window routine run from a window event changes around itself, given back when it ends
// however it ends: method 99 inside the routine gives back the pump flag and the current window
// as well, and then this finds them as they were.
class NestedWindowRoutine {
public:
    explicit NestedWindowRoutine(int n) {
        push_switch(vm.pump_enabled);
        vm.pump_enabled = 0;
        window_table.saved_current = window_table.current;
        window_table.current = n;
        ++window_table.routine_depth;
    }
    ~NestedWindowRoutine() {
        if (switch_stack.words.size() > depth_) switch_stack.words.resize(depth_);
        vm.pump_enabled = pump_enabled_;
        if (find_window(current_)) window_table.current = current_;
        window_table.saved_current = saved_current_;
        window_table.routine_depth = routine_depth_;
    }
    NestedWindowRoutine(const NestedWindowRoutine&) = delete;
    NestedWindowRoutine& operator=(const NestedWindowRoutine&) = delete;

private:
    size_t depth_ = switch_stack.words.size();
    int32_t pump_enabled_ = vm.pump_enabled;
    int current_ = window_table.current;
    int saved_current_ = window_table.saved_current;
    int routine_depth_ = window_table.routine_depth;
};

} // namespace

void enter_requested_routine(const ObjectRequest& request) {
    std::optional<WindowRoutine> routine = request.routine_after();
    if (!routine || vm.fp() == 0 || !has_bcode_bif(routine->number)) return;
    push_switch(vm.pump_enabled);
    vm.pump_enabled = 0;
    window_table.saved_current = window_table.current;
    window_table.current = routine->window;
    ++window_table.routine_depth;
    bcode_bif(routine->number);
}

void finish_window_routine() {
    if (find_window(window_table.saved_current)) window_table.current = window_table.saved_current;
    vm.pump_enabled = pop_switch();
    if (window_table.routine_depth > 0) --window_table.routine_depth;
}

void run_resize_routine(int n) {
    if (vm.fp() == 0 || !has_bcode_bif(window_routine::window_changed)) return;
    NestedWindowRoutine scope(n);
    run_bcode_bif_nested(window_routine::window_changed);
}

} // namespace quillet
