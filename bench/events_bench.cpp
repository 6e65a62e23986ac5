// The event queue: events queued through the default window's handler and taken out by GET
// EVENT, as a program in event mode reads them.
#include "host/backends/headless_backend.h"
#include "host/windows/window_system.h"
#include "ui/default_window.h"
#include "ui/events/event_queue.h"
#include "ui/events/get_event.h"
#include "ui/ui_reset.h"
#include "ui/window_event_handler.h"
#include "ui/window_table.h"
#include "xvt/layer_state.h"

#include <benchmark/benchmark.h>

namespace quillet {
namespace {

struct DefaultWindowSession {
    DefaultWindowSession() {
        reset_ui_state();
        reset_event_queue();
        host::HeadlessOptions o;
        o.echo_message_boxes = false;
        xvt_detail::app.windows =
            std::make_unique<host::WindowSystem>(std::make_unique<host::HeadlessBackend>(o));
        create_default_window();
        window_table.exit_on_default_destroy = false;
        set_event_mode(true);
    }
    ~DefaultWindowSession() {
        xvt_app_destroy();
        reset_event_queue();
        reset_ui_state();
    }
};

// 100,000 clicks and keys queued, then every one taken out and named.
void queue_and_take(benchmark::State& state) {
    DefaultWindowSession session;
    XvtWindow native = window_record(default_window).native_window;
    XvtEvent click;
    click.words[0] = static_cast<int32_t>(EventKind::mouse_down);
    click.words[1] = xvt_pack_point({10, 20});
    XvtEvent key;
    key.words[0] = static_cast<int32_t>(EventKind::character);
    key.words[1] = 'k';
    EventResult result;
    for (auto _ : state) {
        for (int i = 0; i < 50000; ++i) {
            window_event_handler(native, click);
            window_event_handler(native, key);
        }
        for (int i = 0; i < 100000; ++i)
            get_event(0, result);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(queue_and_take)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillet
