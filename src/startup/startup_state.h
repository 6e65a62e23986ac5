// What start-up records for the rest of the run: the executable and the program's arguments.
#pragma once

#include <string>
#include <vector>

namespace quillet {

struct StartupState {
    std::string executable;             // full path of the running executable
    std::string base_name;              // its file name without extension
    std::vector<std::string> arguments; // every word after the program path
};

inline StartupState startup;

} // namespace quillet
