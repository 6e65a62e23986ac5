// The one entry point by which the engine raises an error of the BASIC program.
//
// raise_error leaves the raising primitive by throwing BasicError; the active op loop catches it,
// searches the line table for a handler and resumes there. Whatever the primitive held is released
// by RAII on the way out, and a destination that was not yet stored keeps its old value.
#pragma once

#include <cstdint>

namespace quillet {

// Error numbers the value primitives raise; their texts live in the program's B-code library.
namespace err {
inline constexpr int32_t overflow = 1002;
inline constexpr int32_t string_too_long = 1106;
inline constexpr int32_t division_by_zero = 3001;
inline constexpr int32_t size_index = 4004;
inline constexpr int32_t lbound_index = 4008;
inline constexpr int32_t out_of_memory = 5000;
inline constexpr int32_t array_too_large = 5001;
inline constexpr int32_t illegal_bounds = 6005;
inline constexpr int32_t inaccurate_result = -3051;
inline constexpr int32_t system_error = -555;
inline constexpr int32_t subscript_range = 2001;
inline constexpr int32_t return_without_gosub = 10002;
inline constexpr int32_t native_library = 9003;
inline constexpr int32_t native_procedure = -6;
} // namespace err

struct BasicError {
    int32_t code;
};

[[noreturn]] void raise_error(int32_t code);

} // namespace quillet
