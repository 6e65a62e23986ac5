// Quit requests of the host: with event mode on the program receives QUIT and runs until it
// answers (window methods 14 and 15).
#include "interp/fatal.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "ui/events/event_queue.h"
#include "ui/events/event_queue_state.h"

namespace quillet {
namespace {

constexpr int32_t quit_refused = 0;
constexpr int32_t quit_allowed = 1;
constexpr int32_t quit_asked = 2;
constexpr int32_t quit_asked_later = 3; // QUIT queued while the engine waited (busy)

} // namespace

bool host_quit_request(bool query) {
    if (!query || !event_mode()) return true;
    // A second question while the program has not answered the first: it keeps the session.
    if (event_queue.pending_quit >= quit_asked) return false;
    XvtEvent quit;
    quit.words[0] = queue_kind::quit;
    queue_event(-1, quit);
    // The engine waits for a key or a pause: the program cannot run now. The session stays;
    // the program's later answer ends it or not.
    if (vm.busy_mark) {
        event_queue.pending_quit = quit_asked_later;
        return false;
    }
    event_queue.pending_quit = quit_asked;
    int32_t saved_stop = vm.stop_flag;
    vm.stop_flag = 0;
    run_ops_until_stopped();
    vm.stop_flag = saved_stop;
    bool allow = event_queue.pending_quit == quit_allowed;
    event_queue.pending_quit = quit_refused;
    return allow;
}

void answer_quit_request(bool allow) {
    switch (event_queue.pending_quit) {
    case quit_asked:
        event_queue.pending_quit = allow ? quit_allowed : quit_refused;
        vm.stop_flag = 1; // ends the run of host_quit_request
        return;
    case quit_asked_later:
        event_queue.pending_quit = quit_refused;
        if (allow) program_exit();
        return;
    default: return; // no question pending
    }
}

} // namespace quillet
