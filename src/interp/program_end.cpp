// Program end: bif 114, or end_unit at the outermost level.
#include "interp/fatal.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "xvt/xvt.h"

namespace quillet {

void end_program(int32_t kind) {
    if (kind == 1 || kind == 44) xvt_wait_for_key(); // after "Press any key."
    program_exit();
}

} // namespace quillet
