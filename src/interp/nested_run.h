// Running a B-code routine to its return from inside host-event processing: between two ops of
// the program, inside a wait, or in the middle of a bif. The interrupted computation goes on
// afterwards exactly where it was.
#pragma once

#include <cstdint>

namespace quillet {

// Runs the image's routine for B-code bif n in a nested op loop until it returns, with no
// arguments. Before it the pc, module, condition flag, FOR cache, exception state and the other
// registers of the interrupted computation are set aside, and afterwards they are back as they
// were. A raise inside the run that a frame of the run handles resumes the nested loop; one that
// only the interrupted frames handle ends the run and leaves from the caller as a raise of the
// interrupted computation (ResumeAtHandler). Program end inside the run ends the program.
// Returns false, with nothing run, when no program frame is active, the image has no routine for
// n, or the routine asks for arguments.
bool run_bcode_bif_nested(uint32_t n);

} // namespace quillet
