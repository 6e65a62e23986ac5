// The window system's hot paths: an idle peek (the op loop calls it every 320 ops), delivering
// and dispatching one pointer move, and repainting a 1024 x 768 window from its backing surface.
#include "host/backends/headless_backend.h"
#include "host/backends/sdl_backend.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace quillet;
using namespace quillet::host;

namespace {

std::unique_ptr<WindowSystem> headless_system() {
    HeadlessOptions o;
    o.echo_message_boxes = false;
    return std::make_unique<WindowSystem>(std::make_unique<HeadlessBackend>(std::move(o)));
}

WindowId open_window(WindowSystem& ws, IntSize client) {
    WindowDef d;
    d.title = "bench";
    d.style.caption = true;
    d.style.sizable = true;
    FrameInsets f = frame_insets(ws.metrics(), d.style, false);
    d.rect = {0, 0, client.width + f.left + f.right, client.height + f.top + f.bottom};
    d.procedure = [](WindowSystem& s, const Message& m) -> intptr_t {
        return s.default_procedure(m);
    };
    WindowId id = ws.create_window(d);
    Message m;
    while (ws.peek(m, true))
        ws.dispatch(m);
    return id;
}

void BM_IdlePeekHeadless(benchmark::State& state) {
    auto ws = headless_system();
    open_window(*ws, {200, 100});
    Message m;
    for (auto _ : state)
        benchmark::DoNotOptimize(ws->peek(m, true));
}
BENCHMARK(BM_IdlePeekHeadless);

void BM_IdlePeekSdl(benchmark::State& state) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("no DISPLAY: run under xvfb-run for the SDL figure");
        return;
    }
    WindowSystem ws(std::make_unique<SdlBackend>());
    open_window(ws, {200, 100});
    Message m;
    for (auto _ : state)
        benchmark::DoNotOptimize(ws.peek(m, true));
}
BENCHMARK(BM_IdlePeekSdl);

void BM_MouseMoveDeliverAndDispatch(benchmark::State& state) {
    auto ws = headless_system();
    WindowId w = open_window(*ws, {400, 300});
    IntRect c = ws->client_area_in_outer(w);
    Message m;
    int x = 0;
    for (auto _ : state) {
        ws->input_mouse(w, WindowSystem::MouseEvent::move, {c.left + (x++ & 255), c.top + 10},
                        MouseButton::left, 0);
        ws->peek(m, true);
        ws->dispatch(m);
    }
}
BENCHMARK(BM_MouseMoveDeliverAndDispatch);

// What a window with a backing picture does on a paint: copy the picture into its surface,
// then the window's picture is composed for showing.
void BM_Repaint1024x768FromBacking(benchmark::State& state) {
    auto ws = headless_system();
    WindowId w = open_window(*ws, {1024, 768});
    Surface backing(1024, 768, 0x336699);
    for (auto _ : state) {
        ws->invalidate(w);
        Message m;
        ws->peek(m, true);
        WindowSystem::PaintScope scope(*ws, w);
        scope.dc().bit_blt(scope.update_rect(), backing, {0, 0}, rop3::src_copy);
        benchmark::DoNotOptimize(ws->compose(w));
    }
}
BENCHMARK(BM_Repaint1024x768FromBacking)->Unit(benchmark::kMicrosecond);

} // namespace
