#include "ui/ui_hooks.h"

#include "interp/upper_layer_hooks.h"
#include "ui/default_window.h"

namespace quillet {

void install_ui_hooks() {
    upper_layer_hooks.end_of_program_wait = end_of_program_wait;
}

} // namespace quillet
