#include "ui/ui_hooks.h"

#include "interp/upper_layer_hooks.h"
#include "ui/default_window.h"

namespace quillet {

void install_ui_hooks() {
    upper_layer_hooks.end_of_program_wait = end_of_program_wait;
    upper_layer_hooks.after_pump = act_on_exit_request;
    upper_layer_hooks.close_all_windows = close_all_windows;
}

} // namespace quillet
