// Errors of the layer: the error records and their texts, the stack of pushed handlers, the
// error-message hook, and the guard under which every window message is delivered.
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <utility>

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr std::string_view unpopped_text = "Pushed handlers not popped.";

// Thrown by xvt_report_error inside a guard: it ends the window message's delivery.
struct LayerError {
    ErrorRecord record;
};

// Offers the record to the handlers (newest first), then the hook, then an error box.
void offer(const ErrorRecord& record) {
    for (size_t i = app.error_handlers.size(); i-- > 0;) {
        ErrorHandlerEntry entry = app.error_handlers[i];
        if (entry.handler(record, entry.data) != 0) return;
    }
    if (app.error_hook && app.error_hook(record, 0) != 0) return;
    xvt_dm_post_message(MessageKind::error, record.text);
}

} // namespace

namespace xvt_detail {

void diagnostic(const char* format, ...) {
    if (!app.diagnostics) return;
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    app.diagnostics(line);
}

} // namespace xvt_detail

void xvt_set_diagnostic_sink(DiagnosticSink sink) {
    app.diagnostics = sink;
}

std::string_view xvt_error_text(uint32_t id) {
    switch (id) {
#define X(id, name, text)                                                                          \
    case id:                                                                                       \
        return text;
#include "xvt/error_ids.def"
#undef X
    }
    return {};
}

std::string_view xvt_error_category_text(ErrorCategory category) {
    switch (category) {
#define X(name, text)                                                                              \
    case ErrorCategory::name:                                                                      \
        return text;
#include "xvt/error_categories.def"
#undef X
    }
    return {};
}

bool xvt_is_layer_error(uint32_t id) {
    return !xvt_error_text(id).empty();
}

void xvt_errmsg_push_handler(ErrorHandler handler, long data) {
    if (!handler) {
        xvt_report_error("xvt_errmsg_push_handler", ErrorCategory::errmsg, ErrorId::null_pointer);
        return;
    }
    app.error_handlers.push_back({handler, data});
}

void xvt_errmsg_pop_handler(ErrorHandler handler) {
    for (size_t i = app.error_handlers.size(); i-- > 0;) {
        if (app.error_handlers[i].handler == handler) {
            app.error_handlers.resize(i);
            return;
        }
    }
    xvt_report_error("xvt_errmsg_pop_handler", ErrorCategory::errmsg, ErrorId::pop_unpushed);
}

size_t xvt_errmsg_handler_count() {
    return app.error_handlers.size();
}

void xvt_errmsg_set_hook(ErrorHandler hook) {
    app.error_hook = hook;
}

void xvt_report_error(std::string_view api, ErrorCategory category, ErrorId id) {
    auto code = static_cast<uint32_t>(id);
    ErrorRecord record{api, xvt_error_category_text(category), code, xvt_error_text(code)};
    if (app.guard_depth > 0) throw LayerError{record};
    offer(record);
}

namespace xvt_detail {

void run_guarded(void (*work)(void* context), void* context) {
    // Each message has a stack of its own: a message sent from inside a handler neither sees
    // nor empties the stack of the message that sent it.
    // The stacks are swapped only when the outer one holds something: most messages come with
    // none.
    struct StackScope {
        std::vector<ErrorHandlerEntry> outer;
        StackScope() {
            if (!app.error_handlers.empty()) outer.swap(app.error_handlers);
        }
        ~StackScope() {
            app.error_handlers.clear();
            if (!outer.empty()) app.error_handlers.swap(outer);
        }
    } stack;
    std::optional<ErrorRecord> caught;
    {
        struct Depth {
            Depth() { ++app.guard_depth; }
            ~Depth() { --app.guard_depth; }
        } depth;
        try {
            work(context);
        } catch (const LayerError& e) {
            caught = e.record;
        }
    }
    // Errors reported by the handlers or the hook themselves are offered at once.
    if (caught) {
        offer(*caught);
    } else if (!app.error_handlers.empty()) {
        app.error_handlers.clear();
        offer({"xp_app_process_pending_events",
               xvt_error_category_text(ErrorCategory::error_handling), 0, unpopped_text});
    }
}

} // namespace xvt_detail

void xvt_run_guarded(const std::function<void()>& work) {
    run_guarded([](void* w) { (*static_cast<const std::function<void()>*>(w))(); },
                const_cast<std::function<void()>*>(&work));
}

} // namespace quillet
