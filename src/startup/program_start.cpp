#include "startup/program_start.h"

#include "devices/devices_reset.h"
#include "graphics/graphics_reset.h"
#include "interp/chain_request.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/frames.h"
#include "interp/interp_reset.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "startup/chain.h"
#include "startup/image_loader.h"
#include "startup/startup_state.h"
#include "ui/ui_reset.h"
#include "values/errors.h"
#include "values/values_reset.h"
#include "xvt/xvt.h"

namespace quillet {

namespace {

[[noreturn]] void run_loaded_program() {
    init_value_stack();
    lay_out_image();
    vm.bases[2] = program.cell_area1;
    vm.bases[3] = program.literal_tail;
    vm.bases[4] = program.cell_area2;
    reset_decoded_ops();
    check_bif_overrides();
    vm.pc = 0;
    set_module(program.start_module);
    try {
        enter_routine(program.start_entry, program.start_module);
    } catch (const BasicError& e) {
        // Raised while the first frame was built: no frame can handle it.
        unwind_to_handler({.code = e.code});
    }
    run_ops();
}

} // namespace

void start_program() {
    // A chain leaves every op loop and comes back here to run the program it loaded.
    for (;;) {
        try {
            run_loaded_program();
        } catch (const ChainRequest& request) {
            load_chained_program(request.program_path);
        }
    }
}

void reset_engine() {
    // Layer by layer, from the bottom: each forgets everything a program can leave in it. State
    // added to a layer goes into that layer's reset. The windowing layer's session ends with
    // xvt_app_destroy, which every way out of a program runs.
    reset_values_state();
    reset_interp_state();
    reset_devices_state();
    reset_graphics_state();
    reset_ui_state(); // the event queue with the rest of the layer
    startup = StartupState{};
}

} // namespace quillet
