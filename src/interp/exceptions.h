// BASIC exceptions: the search for a handler through the line tables, unwinding, the handler's
// information, the exception trace, re-raise, RETRY and CONTINUE.
//
// The primitives below the interpreter leave with BasicError (raise_error); the op loop catches
// it and calls unwind_to_handler. Code of the interpreter that raises with more detail calls
// raise_exception, which unwinds and then leaves through ResumeAtHandler, which the active op
// loop catches to continue at the handler's pc.
#pragma once

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

// Finds the handling frame, unwinds to it and sets pc to its handler. Returns false only for a
// soft raise that no numbered frame handles; stops the process when no frame handles at all.
bool unwind_to_handler(RaiseRequest request);

// unwind_to_handler, then leave the current bif or op through ResumeAtHandler.
[[noreturn]] void raise_exception(const RaiseRequest& request);

// A soft raise: returns when the nearest numbered frame does not handle it.
void soft_raise(int32_t code);

struct TraceEntry {
    int32_t line;
    Addr routine_name;
};

struct ExceptionState {
    int32_t last_code = 0;
    Addr handling_frame = 0;
    TraceEntry trace[10] = {};
    int32_t trace_count = 0;
    int32_t trace_read = 0;
    bool new_exception = false;
    int32_t explicit_line = 0;
};

inline ExceptionState exceptions;

// Frame whose exception fields describe the exception being handled (bifs 37, 310, 311).
Addr handled_exception_frame();

void reraise();       // bif 345
void retry();         // bif 346
void continue_next(); // bif 347

// After return and end_unit: calls B-code bif 103 once the frame watch has been passed.
void frame_watch_check();

} // namespace quillet
