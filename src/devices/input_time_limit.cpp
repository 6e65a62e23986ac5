#include "devices/input_time_limit.h"

#include "values/errors.h"
#include "xvt/xvt.h"

namespace quillet {
namespace {

constexpr int32_t negative_timeout = 8402;

} // namespace

void reset_input_time_limit() {
    disarm_input_time_limit();
}

void arm_input_time_limit(int32_t seconds) {
    if (seconds < 0) raise_error(negative_timeout);
    disarm_input_time_limit();
    input_time_limit.timer = xvt_timer_create(int64_t(seconds) * 1000);
}

void disarm_input_time_limit() {
    if (input_time_limit.timer != -1) xvt_timer_kill(input_time_limit.timer);
    input_time_limit.timer = -1;
}

bool input_time_limit_expired() {
    return input_time_limit.timer != -1 && xvt_timer_expired(input_time_limit.timer);
}

} // namespace quillet
