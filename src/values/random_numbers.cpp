#include "values/random_numbers.h"

namespace quillet {

void random_restart(RandomState& r) {
    r = RandomState{};
}

double random_next(RandomState& r) {
    r.seed = r.seed * 1220703125u + 1u;
    return double(r.seed >> 1) / 2147483648.0;
}

int32_t random_crt_rand(RandomState& r) {
    r.rand_state = r.rand_state * 214013u + 2531011u;
    return int32_t((r.rand_state >> 16) & 0x7FFF);
}

void random_reseed(RandomState& r, uint32_t process_id, uint32_t seconds) {
    uint32_t g = uint32_t(random_crt_rand(r));
    r.seed += g * process_id + seconds;
}

} // namespace quillet
