#include "startup/program_start.h"

#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/for_loops.h"
#include "interp/frames.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "startup/image_loader.h"
#include "values/memory.h"

#include <cstring>

namespace quillet {

void start_program() {
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

void reset_engine() {
    arena_init();
    vm = Registers{};
    program = Program{};
    exceptions = ExceptionState{};
    reset_for_cache();
    heap = Heap{};
    // The static records below the heap (the empty string, the empty channel table) read as zero.
    std::memset(host_ptr(0), 0, heap_start);
}

} // namespace quillet
