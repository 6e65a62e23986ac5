// The program name and arguments that start-up records, for the bifs that read them back.
#pragma once

#include "interp/interp_state.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

// The command-line text of bif 106: after a chain, the chain's argument text exactly; otherwise
// the name and each argument, each followed by a NUL byte.
std::string command_line_text();

} // namespace quillet
