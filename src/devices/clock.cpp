#include "devices/clock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quillet {
namespace {

bool clock_read_only() {
    const char* v = std::getenv("QUILLET_CLOCK_READ_ONLY");
    return v && *v && std::strcmp(v, "0") != 0;
}

} // namespace

LocalTime local_time_now() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm tm;
    localtime_r(&now.tv_sec, &tm);
    return {1900 + tm.tm_year,         tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            int(now.tv_nsec / 1000000)};
}

int set_local_clock(const LocalTime& t) {
    struct tm tm = {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    struct tm wanted = tm;
    time_t seconds = mktime(&tm);
    // mktime moves out-of-range fields into the next month or day; such a time does not exist.
    if (seconds == time_t(-1) || tm.tm_year != wanted.tm_year || tm.tm_mon != wanted.tm_mon ||
        tm.tm_mday != wanted.tm_mday || tm.tm_hour != wanted.tm_hour ||
        tm.tm_min != wanted.tm_min || tm.tm_sec != wanted.tm_sec)
        return EINVAL;
    if (clock_read_only()) return EPERM;
    struct timespec value = {seconds, 0};
    return clock_settime(CLOCK_REALTIME, &value) == 0 ? 0 : errno;
}

} // namespace quillet
