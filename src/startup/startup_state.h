// What start-up records for the rest of the run about the executable (the program's name and
// arguments are in interp/program_arguments.h).
#pragma once

#include <string>

namespace quillet {

struct StartupState {
    std::string executable; // full path of the running executable
    std::string base_name;  // its file name without extension
};

inline StartupState startup;

} // namespace quillet
