// The guard under which the layer delivers every window message (private to the layer; errors.cpp
// has the rest of the error scheme). Delivery runs it for every event, so its common case, a
// message that arrives with no handlers pushed and pushes none, is inline and allocates nothing.
#pragma once

#include "xvt/layer_state.h"

#include <utility>

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

// Runs `work` as one window message (see xvt_run_guarded).
template <typename Work>
void run_guarded(Work&& work) {
    if (!app.error_handlers.empty()) {
        run_guarded([](void* w) { (*static_cast<std::remove_reference_t<Work>*>(w))(); }, &work);
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
            if (guarding) --app.guard_depth;
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
    if (!app.error_handlers.empty()) report_unpopped_handlers();
}

} // namespace quillet::xvt_detail
