// The random-number generator of RND and RANDOMIZE: a 32-bit linear congruential generator with
// multiplier 5^13, reseeded from a second generator of the C library's rand kind, the process
// identifier and the clock. Every run that does not reseed sees the same sequence.
#pragma once

#include "values/values_state.h"

#include <cstdint>

namespace quillet {

// Back to the state a program starts with.
void random_restart(RandomState& r);

// The next number, 0 <= r < 1, with 31 significant bits.
double random_next(RandomState& r);

// The next value (0..32767) of the rand-style generator.
int32_t random_crt_rand(RandomState& r);

// Adds rand() * process_id + seconds to the seed, all modulo 2^32.
void random_reseed(RandomState& r, uint32_t process_id, uint32_t seconds);

} // namespace quillet
