// Loading the program that a chain (bif 372) names, in place of the one that ran.
#pragma once

#include <string>

namespace quillet {

// Releases the current program (its image, frames and every block of the arena) and loads the
// bound program at path; the program's argument text and the debug log carry over, and so do
// the files it opened. A file that cannot be read or holds no bound program is a fatal stop
// with a message that names it.
void load_chained_program(const std::string& path);

} // namespace quillet
