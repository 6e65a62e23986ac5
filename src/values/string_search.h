// Searches of INSTR and its relatives over byte texts. Positions are 1-based and 0 means not
// found; n is the 1-based position where the search starts, taken as the text's edge when it
// lies beyond it.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet {

// First occurrence of t in s at or after position n.
int32_t search_forward(std::string_view s, std::string_view t, int32_t n);

// Last occurrence of t in s at or before position n.
int32_t search_backward(std::string_view s, std::string_view t, int32_t n);

// Searches for a byte that is (in_set) or is not (!in_set) one of the bytes of set, upward from
// position n or downward from it.
int32_t search_set_forward(std::string_view s, std::string_view set, int32_t n, bool in_set);
int32_t search_set_backward(std::string_view s, std::string_view set, int32_t n, bool in_set);

} // namespace quillet
