// The program name and arguments that start-up records, for the bifs that read them back.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct ProgramArguments {
    std::string name;                        // the executable's full path (argv[0])
    std::vector<std::string> words;          // every word after it
    std::optional<std::string> chained_text; // the argument text of the last chain, if any
};

inline ProgramArguments program_arguments;

// The command-line text of bif 106: after a chain, the chain's argument text exactly; otherwise
// the name and each argument, each followed by a NUL byte.
std::string command_line_text();

} // namespace quillet
