// The guard under which the layer delivers every window message (private to the layer; errors.cpp
// has the rest of the error scheme). Delivery runs it for every event, so its common case, a
// message that arrives with no handlers pushed and pushes none, is inline and allocates nothing.
#pragma once

#include "xvt/layer_state.h"

#include <type_traits>

namespace quillet::xvt_detail {

// Thrown by xvt_report_error inside a guard: it ends the window message's delivery.
struct LayerError {
    ErrorRecord record;
};

// Offers the record to the pushed handlers (newest first), then the hook, then an error box.
void offer_error(const ErrorRecord& record);
// Frees the handlers a message left pushed and reports "Pushed handlers not popped.".
void report_unpopped_handlers();

// The guard for a message that arrives while the message that sent it has handlers pushed: that
// stack is set aside for the message and given back after it.
void run_guarded(void (*work)(void* context), void* context);

// Frees the handlers of windows destroyed while guards ran.
void free_retired_handlers();

// Ends one guard. A window's handler destroyed while a guard runs is retired, as it may be the
// one running; the outermost guard frees the retired ones when it ends.
inline void leave_guard() {
    if (--app.guard_depth == 0 && !app.retired_handlers.empty()) [[unlikely]]
        free_retired_handlers();
}

// The guard's rare case, out of line and given its own copy of the work (a few references), so
// that the common case neither builds it nor needs a larger frame.
template <typename Work>
[[gnu::noinline]] void run_guarded_apart(Work work) {
    run_guarded([](void* w) { (*static_cast<Work*>(w))(); }, &work);
}

// Runs `work` as one window message (see xvt_run_guarded). Always inline: with the work in
// reach, the common case is a counter and two tests around the call.
template <typename Work>
[[gnu::always_inline]] inline void run_guarded(Work&& work) {
    if (!app.error_handlers.empty()) [[unlikely]] {
        run_guarded_apart<std::remove_cvref_t<Work>>(work);
        return;
    }
    // The message's own stack is app.error_handlers, empty now; whatever way the message ends,
    // it is left empty again.
    struct Scope {
        bool guarding = true;
        Scope() { ++app.guard_depth; }
        ~Scope() {
            end_guard();
            app.error_handlers.clear();
        }
        void end_guard() {
            if (guarding) leave_guard();
            guarding = false;
        }
    } scope;
    try {
        work();
    } catch (const LayerError& e) {
        // Errors reported by the handlers or the hook themselves are offered at once.
        scope.end_guard();
        offer_error(e.record);
        return;
    }
    scope.end_guard();
    if (!app.error_handlers.empty()) [[unlikely]]
        report_unpopped_handlers();
}

} // namespace quillet::xvt_detail
