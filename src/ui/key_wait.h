// The key wait and key test of INPUT-style reads.
#pragma once

#include <cstdint>

namespace quillet {

// Shows the default window, waits until a key is queued and returns the oldest one. The input
// time limit running out first raises 8401; the session ending first ends the program.
int32_t key_wait();

// Whether at least one key is queued.
bool key_test();

} // namespace quillet
