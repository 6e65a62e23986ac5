// BASIC exceptions: the search for a handler through the line tables, unwinding, the handler's
// information, the exception trace, re-raise, RETRY and CONTINUE.
//
// The primitives below the interpreter leave with BasicError (raise_error); the op loop catches
// it and calls unwind_to_handler. Code of the interpreter that raises with more detail calls
// raise_exception, which unwinds and then leaves through ResumeAtHandler, which the active op
// loop catches to continue at the handler's pc.
#pragma once

#include "interp/interp_state.h"
#include "interp/line_table.h"
#include "values/arena.h"

#include <cstdint>

namespace quillet {

// Thrown after the interpreter state was set to resume at a handler.
struct ResumeAtHandler {};

struct RaiseRequest {
    int32_t code = 0;
    Addr message = 0; // string record, 0 for none
    int32_t flag = 0;
    bool continuing = false;
    int32_t explicit_line = 0;
    bool soft = false;
};

// A handler found for a raise, before the frames above it are left.
struct FoundHandler {
    Addr frame = 0;         // the handling frame
    LineTableReader reader; // its line table, read to the raising statement
    RaiseRequest request;
    int32_t line = 0; // the line that the handler's information gives
    Addr message = 0; // the message record, retained for the unwinding
};

// Thrown instead of unwinding when the handling frame lies outside the nested routine run that is
// active (its floor frame or one of the frames under it): the nested run ends, and the one who
// started it finishes the unwinding with resume_at_handler once the nested run is taken down.
struct NestedRunEscape {
    FoundHandler handler;
};

// Finds the handling frame, unwinds to it and sets pc to its handler. Returns false only for a
// soft raise that no numbered frame handles; stops the process when no frame handles at all.
bool unwind_to_handler(RaiseRequest request);

// The second half of unwind_to_handler: leaves the frames above the handling frame, sets pc to its
// handler and gives the frame the exception's information.
void resume_at_handler(const FoundHandler& found);

// unwind_to_handler, then leave the current bif or op through ResumeAtHandler.
[[noreturn]] void raise_exception(const RaiseRequest& request);

// A soft raise: returns when the nearest numbered frame does not handle it.
void soft_raise(int32_t code);

// For the overflow policy (values_state.h) that a compiled program's library chooses: whether
// the overflow at hand gives infinity and goes on, with `line N: warning: overflow; the result
// is infinity` on standard error. It does when no protected part of the nearest numbered routine
// (the program's, not the library's) takes it, as for a soft raise; otherwise 1002 is raised.
bool overflow_goes_on();

// Frame whose exception fields describe the exception being handled (bifs 37, 310, 311).
Addr handled_exception_frame();

void reraise();       // bif 345
void retry();         // bif 346
void continue_next(); // bif 347

// After return and end_unit: calls B-code bif 103 once the frame watch has been passed.
void frame_watch_check();

} // namespace quillet
