// The program name and arguments that start-up records, for the bifs that read them back.
#pragma once

#include <string>
#include <vector>

namespace quillet {

struct ProgramArguments {
    std::string name;               // the executable's full path (argv[0])
    std::vector<std::string> words; // every word after it
};

inline ProgramArguments program_arguments;

// The command-line text of bif 106: the name and each argument, each followed by a NUL byte.
std::string command_line_text();

} // namespace quillet
