// Errors of the layer: the error records and their texts, the stack of pushed handlers, the
// error-message hook, and the guard under which every window message is delivered.
#include "host/backends/library_messages.h"
#include "xvt/error_guard.h"
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

#include <cstdarg>
#include <cstdio>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

void offer_error(const ErrorRecord& record) {
    for (size_t i = app.error_handlers.size(); i-- > 0;) {
        ErrorHandlerEntry entry = app.error_handlers[i];
        if (entry.handler(record, entry.data) != 0) return;
    }
    if (app.error_hook && app.error_hook(record, 0) != 0) return;
    xvt_dm_post_message(MessageKind::error, record.text);
}

void report_unpopped_handlers() {
    app.error_handlers.clear();
    offer_error({"xp_app_process_pending_events",
                 xvt_error_category_text(ErrorCategory::error_handling), 0,
                 "Pushed handlers not popped."});
}

void free_retired_handlers() {
    app.retired_handlers.clear();
}

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
    // The libraries behind the host (ALSA without a sound card, Wayland without XDG_RUNTIME_DIR)
    // report to the same sink instead of standard error.
    host::set_library_message_sink(sink);
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
    offer_error(record);
}

namespace xvt_detail {

void run_guarded(void (*work)(void* context), void* context) {
    // Each message has a stack of its own: a message sent from inside a handler neither sees
    // nor empties the stack of the message that sent it.
    std::vector<ErrorHandlerEntry> outer;
    outer.swap(app.error_handlers);
    struct Restore {
        std::vector<ErrorHandlerEntry>& outer;
        ~Restore() { app.error_handlers.swap(outer); }
    } restore{outer};
    run_guarded([&] { work(context); });
}

} // namespace xvt_detail

void xvt_run_guarded(const std::function<void()>& work) {
    run_guarded([&] { work(); });
}

} // namespace quillet
