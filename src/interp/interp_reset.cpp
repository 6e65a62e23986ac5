#include "interp/interp_reset.h"

#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/for_loops.h"
#include "interp/native_routines.h"
#include "interp/program_arguments.h"
#include "interp/registers.h"

namespace quillet {

void reset_interp_state() {
    vm = Registers{};
    program = Program{};
    decoded = DecodedCode{};
    exceptions = ExceptionState{};
    reset_for_cache();
    close_native_libraries();
    program_arguments = ProgramArguments{};
}

} // namespace quillet
