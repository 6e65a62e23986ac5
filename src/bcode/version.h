// The version of the engine and its tools, from the project's build description.
#pragma once

#include <string_view>

namespace quillet {

inline constexpr std::string_view quillet_version = QUILLET_VERSION;

} // namespace quillet
