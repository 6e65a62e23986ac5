#include "startup/chain.h"

#include "interp/fatal.h"
#include "interp/interp_reset.h"
#include "interp/program_arguments.h"
#include "startup/image_loader.h"
#include "values/debug_log.h"
#include "values/values_reset.h"

#include <fstream>

namespace quillet {
namespace {

// Stops with a message unless the file is a bound program (a trailer or an image section).
void check_bound_program(const std::string& path) {
    if (!std::ifstream(path, std::ios::binary))
        fatal_stop(("CHAIN: cannot open the program \"" + path + "\"").c_str());
    if (!carries_image(path))
        fatal_stop(("CHAIN: \"" + path + "\" is not a bound program").c_str());
}

} // namespace

void load_chained_program(const std::string& path) {
    check_bound_program(path);
    ProgramArguments arguments = program_arguments;
    DebugLog log = debug_log_state;
    reset_values_state();
    reset_interp_state();
    program_arguments = arguments;
    debug_log_state = log;
    load_image(path);
}

} // namespace quillet
