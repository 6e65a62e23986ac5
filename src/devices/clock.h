// The local clock: reading it, and the one seam through which the engine sets it.
//
// Setting the clock changes the whole machine, so it goes through set_local_clock alone. When the
// environment variable QUILLET_CLOCK_READ_ONLY is set (to anything but "" or "0") the seam
// refuses every change with EPERM without asking the host; the test suite sets it so that no
// test can ever change the machine's clock.
#pragma once

namespace quillet {

struct LocalTime {
    int year;   // e.g. 2024
    int month;  // 1 to 12
    int day;    // 1 to 31
    int hour;   // 0 to 23
    int minute; // 0 to 59
    int second; // 0 to 59 (60 in a leap second)
    int millisecond;
};

LocalTime local_time_now();

// Sets the local clock to t (milliseconds ignored); 0 or the errno value of the refusal. A
// date or time that does not exist (month 13, 31 April, 25:00) is refused with EINVAL.
int set_local_clock(const LocalTime& t);

} // namespace quillet
