// Libraries that only some programs need (PNG, JPEG, FreeType, fontconfig) are loaded at their
// first use rather than with the engine: a program that reads no picture and draws no text never
// maps them, which was a large part of a bound program's start-up time and memory.
#pragma once

namespace quillet::host {

// Opens the library for the rest of the process, as a linked one would stay. When it is missing
// the process stops with a message on standard error (status 1), as the dynamic loader would
// have stopped a linked engine before it started.
void* open_library(const char* soname);

// The function `name` of a library that open_library opened; stops the process the same way
// when the library has no such function.
void* library_function(void* handle, const char* soname, const char* name);

} // namespace quillet::host
