// Chaining to another program: bif 372 records the new argument text and throws a ChainRequest
// out of every op loop to start-up, which releases the current program and loads the new one.
#pragma once

#include <string>

namespace quillet {

struct ChainRequest {
    std::string program_path; // host path of the bound program to load
};

} // namespace quillet
