// The fast paths of number-to-text and text-to-number conversion: small integers only. Every
// other case is formatted or parsed by the program's own library.
#pragma once

#include "values/numbers.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillet {

// Room for the longest fast-path text, "-99999999".
inline constexpr int integer_text_capacity = 9;

struct IntegerText {
    char bytes[integer_text_capacity];
    int length;
    std::string_view view() const { return {bytes, size_t(length)}; }
};

// The decimal digits of x when it is in integer form and -100000000 < x < 100000000.
std::optional<IntegerText> integer_to_text(Cell x);

// The integer spelled by s when it is shorter than 10 bytes and is an optional "-" followed by
// one or more decimal digits and nothing else.
std::optional<int32_t> text_to_integer(std::string_view s);

} // namespace quillet
