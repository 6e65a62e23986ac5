// The waits that keep windows alive: a timed wait lasts its time and serves the windows meanwhile;
// a wait on a descriptor ends when the descriptor is ready, or after its longest time.
#include "xvt_test_support.h"

#include <chrono>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace quillet {
namespace {

using namespace xvt_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Waits : public LayerTest {};

TEST_F(Waits, ATimedWaitLastsItsTimeAndDeliversTimerEvents) {
    XvtWindow w = open("Waiting");
    const XvtTimer t = xp_timer_create(w, 10);
    ASSERT_NE(t, 0u);
    const Clock::time_point start = Clock::now();
    xvt_timed_wait(120);
    EXPECT_GE(Clock::now() - start, 120ms);
    EXPECT_FALSE(of_kind(EventKind::timer).empty()); // messages were pumped during the wait
    xp_timer_destroy(t);
}

TEST_F(Waits, ADescriptorWaitEndsWhenTheDescriptorIsReady) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(write(ends[1], "x", 1), 1);
    });
    // Woken by the byte, long before the minute it would otherwise sleep.
    const Clock::time_point start = Clock::now();
    xvt_pump_then_wait(ends[0], POLLIN, 60s);
    EXPECT_LT(Clock::now() - start, 30s);
    writer.join();
    pollfd p = {ends[0], POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 1);

    // With nothing to read, or no descriptor at all, it sleeps its longest time.
    char byte = 0;
    ASSERT_EQ(read(ends[0], &byte, 1), 1);
    const Clock::time_point quiet = Clock::now();
    xvt_pump_then_wait(ends[0], POLLIN, 30ms);
    xvt_pump_then_wait(-1, 0, 30ms);
    EXPECT_GE(Clock::now() - quiet, 60ms);
    close(ends[0]);
    close(ends[1]);
}

} // namespace
} // namespace quillet
