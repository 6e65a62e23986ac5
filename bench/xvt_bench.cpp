// The windowing layer's overhead over the host: one host event translated and delivered to a
// window's handler, and one line drawn, each through the layer and directly on the host doing the
// same work (a window procedure that builds the event and calls the handler; a device context
// over the window's surface with the same pen, then the window shown again).
#include "host/backends/headless_backend.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"
#include "xvt/layer_state.h"

#include <benchmark/benchmark.h>

using namespace quillet;

namespace {

std::unique_ptr<host::WindowSystem> headless_system() {
    host::HeadlessOptions o;
    o.echo_message_boxes = false;
    return std::make_unique<host::WindowSystem>(
        std::make_unique<host::HeadlessBackend>(std::move(o)));
}

void drain(host::WindowSystem& ws) {
    host::Message m;
    while (ws.peek(m, true))
        ws.dispatch(m);
}

// What each handler does with an event: keeps the point where the optimizer cannot drop it.
int32_t last_point = 0;

// The handler both versions deliver to.
long handle_event(XvtWindow, const XvtEvent& e) {
    last_point = e.words[1];
    benchmark::DoNotOptimize(last_point);
    return 0;
}

// The direct version does the layer's work by hand: a procedure that builds the 11-word event of
// a pointer move and calls the window's handler.
host::WindowId open_host_window(host::WindowSystem& ws) {
    host::WindowDef d;
    d.title = "direct";
    d.style.caption = true;
    host::FrameInsets f = host::frame_insets(ws.metrics(), d.style, false);
    d.rect = {0, 0, 400 + f.left + f.right, 300 + f.top + f.bottom};
    // Kept outside the procedure, as the layer keeps it in its record: a procedure that captured
    // it would be copied with an allocation on every dispatch.
    static XvtEventHandler handler = handle_event;
    d.procedure = [](host::WindowSystem& s, const host::Message& m) -> intptr_t {
        if (m.kind != host::Msg::mouse_move) return s.default_procedure(m);
        XvtEvent e;
        e.words[0] = static_cast<int32_t>(EventKind::mouse_move);
        e.words[1] = xvt_pack_point(m.point);
        e.words[2] = (m.modifiers & host::mod_shift) ? 1 : 0;
        e.words[3] = (m.modifiers & host::mod_control) ? 1 : 0;
        handler(static_cast<XvtWindow>(m.window), e);
        return 0;
    };
    host::WindowId id = ws.create_window(d);
    drain(ws);
    return id;
}

// A layer window on a fresh layer (the previous one's windows go first).
XvtWindow open_layer_window() {
    xvt_app_destroy();
    xvt_detail::app.windows = headless_system();
    XvtWinDef def;
    def.client = {0, 0, 400, 300};
    def.title = "layer";
    def.flags = xvt_win_flag::caption;
    XvtWindow w = xp_win_create_def(def, no_xvt_window, handle_event, 0);
    drain(*xvt_detail::app.windows);
    return w;
}

host::Message mouse_move(host::WindowId id) {
    host::Message m{id, host::Msg::mouse_move};
    m.point = {120, 80};
    return m;
}

void BM_EventDirect(benchmark::State& state) {
    auto ws = headless_system();
    host::Message m = mouse_move(open_host_window(*ws));
    for (auto _ : state)
        ws->dispatch(m);
}
BENCHMARK(BM_EventDirect);

void BM_EventThroughLayer(benchmark::State& state) {
    XvtWindow w = open_layer_window();
    host::WindowSystem& ws = *xvt_detail::app.windows;
    host::Message m = mouse_move(xvt_host_window(w));
    for (auto _ : state)
        ws.dispatch(m);
    xvt_app_destroy();
}
BENCHMARK(BM_EventThroughLayer);

// A 100-pixel diagonal line, alternating direction so that the pen position matters.
constexpr IntPoint line_end[2] = {{150, 100}, {50, 0}};

void BM_DrawLineDirect(benchmark::State& state) {
    auto ws = headless_system();
    host::WindowId id = open_host_window(*ws);
    Pen pen;
    IntPoint position = line_end[1];
    int i = 0;
    for (auto _ : state) {
        DeviceContext dc(*ws->surface(id));
        dc.state().pen = pen;
        dc.move_to(position);
        dc.line_to(line_end[i]);
        position = dc.state().position;
        ws->mark_drawn(id);
        i ^= 1;
    }
}
BENCHMARK(BM_DrawLineDirect);

void BM_DrawLineThroughLayer(benchmark::State& state) {
    XvtWindow w = open_layer_window();
    xp_dwin_draw_set_pos(w, line_end[1]);
    int i = 0;
    for (auto _ : state) {
        xp_dwin_draw_line(w, line_end[i]);
        i ^= 1;
    }
    xvt_app_destroy();
}
BENCHMARK(BM_DrawLineThroughLayer);

} // namespace
