#include "startup/chain.h"

#include "bcode/trailer.h"
#include "interp/fatal.h"
#include "interp/interp_reset.h"
#include "interp/program_arguments.h"
#include "startup/image_loader.h"
#include "values/debug_log.h"
#include "values/values_reset.h"

#include <fstream>
#include <vector>

namespace quillet {
namespace {

// Stops with a message unless the file ends with the trailer of a bound program.
void check_bound_program(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) fatal_stop(("CHAIN: cannot open the program \"" + path + "\"").c_str());
    std::streamoff size = in.tellg();
    std::vector<uint8_t> tail(bcode::trailer_size);
    if (size >= std::streamoff(tail.size())) {
        in.seekg(size - std::streamoff(tail.size()));
        in.read(reinterpret_cast<char*>(tail.data()), std::streamsize(tail.size()));
    }
    if (size < std::streamoff(tail.size()) || !in || !bcode::has_trailer(tail))
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
