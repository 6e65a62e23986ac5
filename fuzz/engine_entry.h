// Runs the engine on arbitrary image bytes within one process, for the fuzz target and its
// replay test: a bounded number of ops, no native libraries, and every way the program ends
// (program end, fatal stops) returning here instead of ending the process.
#pragma once

#include <cstdint>
#include <span>

namespace quillet::fuzz {

void run_engine_on(std::span<const uint8_t> image);

} // namespace quillet::fuzz
