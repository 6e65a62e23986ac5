// The task window: the application's own window, hidden, whose creation event starts the
// program. Its record is made by xvt_app_create; its host window follows with the window system,
// which is made only when something is shown, so a program that shows nothing starts fast.
#include "xvt/layer_state.h"
#include "xvt/window_procedure.h"

#include <cerrno>

namespace quillet {

using namespace xvt_detail;

namespace {

// Every event but the creation (delivered by xvt_app_create itself, where it starts the program)
// goes to the task event handler with its kind.
long forward_to_task_handler(XvtWindow window, const XvtEvent& event) {
    if (event.kind() == EventKind::create || !app.handler) return 0;
    if (event.kind() == EventKind::quit) app.quit_query = event.words[1] != 0;
    return app.handler(static_cast<int>(window), event.words[0]);
}

} // namespace

namespace xvt_detail {

void create_task_host_window(host::WindowSystem& ws) {
    LayerWindow* record = app.window_table.find(app.task_window);
    if (!record || record->host != host::no_window) return;
    host::WindowDef def;
    def.rect = {0, 0, 640, 480};
    def.title = app.task_title;
    def.style.caption = def.style.sizable = true;
    def.style.minimize_box = def.style.maximize_box = true;
    def.visible = false;
    def.procedure = layer_window_procedure;
    def.data = static_cast<intptr_t>(app.task_window);
    errno = 0;
    host::WindowId id = ws.create_window(def);
    if (id == host::no_window) {
        diagnostic("Error: %d %x", errno, errno);
        xvt_report_error("xp_app_create", ErrorCategory::app, ErrorId::host_error);
        return;
    }
    bind_host_window(app.task_window, id);
}

} // namespace xvt_detail

void xvt_app_create(int, char**, long, TaskEventHandler handler, const AppConfig& config) {
    if (!handler || !config.app_name || !config.base_name || !config.task_title) {
        xvt_report_error("xvt_app_create", ErrorCategory::app, ErrorId::invalid_parameter);
        return;
    }
    if (!xvt_app_open()) { // no backend: the reason is on standard error already
        diagnostic("Error: %d %x", errno, errno);
        xvt_report_error("xp_app_create", ErrorCategory::app, ErrorId::host_error);
        return;
    }
    app.handler = handler;
    app.task_title = config.task_title;
    auto record = std::make_unique<LayerWindow>();
    record->handler = std::make_unique<const XvtEventHandler>(forward_to_task_handler);
    app.task_window = add_layer_window(std::move(record));
    if (app.windows) create_task_host_window(*app.windows);
    handler(static_cast<int>(app.task_window), xvt_event_create);
}

bool xvt_quit_is_query() {
    return app.quit_query;
}

XvtWindow xvt_task_window() {
    window_system(); // the task window's host window comes with it
    return layer_window(app.task_window) ? app.task_window : no_xvt_window;
}

} // namespace quillet
