// How much memory the host could still give: available physical memory plus free swap.
#pragma once

#include <cstdint>

namespace quillet {

// In bytes, from /proc/meminfo (MemAvailable + SwapFree); 0 when it cannot be read.
uint64_t available_memory();

} // namespace quillet
