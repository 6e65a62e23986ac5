// Program end: bif 114, or end_unit at the outermost level.
#include "interp/fatal.h"
#include "interp/op_loop.h"
#include "interp/upper_layer_hooks.h"

namespace quillet {

void end_program(int32_t kind) {
    if ((kind == 1 || kind == 44) && upper_layer_hooks.end_of_program_wait)
        upper_layer_hooks.end_of_program_wait();
    if (upper_layer_hooks.end_sound) upper_layer_hooks.end_sound();
    if (upper_layer_hooks.close_all_windows) upper_layer_hooks.close_all_windows();
    program_exit();
}

} // namespace quillet
