// The drawing benchmarks of bench/drawing/ written directly against the host raster: the same
// window (944 x 648 client area, as the headless default window) and backing picture (the
// screen's size), and for each drawing the same host calls the engine makes on both, without the
// interpreter, the bifs, the window table and the windowing layer. Timed from outside as a
// whole process, like the bound programs (scripts/compare-drawing.sh).
// Usage: drawing_direct lines|boxes|console
#include "host/backends/headless_backend.h"
#include "host/raster/device_context.h"
#include "host/text/fonts.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

using namespace quillet;

namespace {

constexpr IntSize client_size{944, 648};
constexpr IntSize screen_size{1024, 768};

// The window and its backing picture; every drawing goes to both, then the window is marked.
class Target {
public:
    Target()
        : m_windows(std::make_unique<host::HeadlessBackend>(host::HeadlessOptions{})),
          m_backing(screen_size.width, screen_size.height, 0xFFFFFF) {
        host::WindowDef d;
        d.title = "direct";
        d.style.caption = true;
        host::FrameInsets f = host::frame_insets(m_windows.metrics(), d.style, false);
        d.rect = {40 - f.left, 80 - f.top, 40 + client_size.width + f.right,
                  80 + client_size.height + f.bottom};
        m_window = m_windows.create_window(d);
    }

    template <typename Draw>
    void draw(Draw&& draw) {
        DeviceContext window(*m_windows.surface(m_window));
        draw(window);
        DeviceContext backing(m_backing);
        draw(backing);
        m_windows.mark_drawn(m_window);
    }

    host::WindowSystem& windows() { return m_windows; }

private:
    host::WindowSystem m_windows;
    host::WindowId m_window = host::no_window;
    Surface m_backing;
};

// 200 rows of 500 lines of 100 x 100 pixels, both end points drawn.
void lines(Target& t) {
    const Pen pen{PenStyle::solid, 1, 0xFF5555};
    for (int y = 1; y <= 200; ++y)
        for (int x = 1; x <= 500; ++x)
            t.draw([&](DeviceContext& dc) {
                dc.state().pen = pen;
                dc.move_to({x, y});
                dc.line_to({x + 101, y + 101});
            });
}

// 100 rows of 100 boxes of 51 x 51 pixels, filled and outlined in one colour.
void boxes(Target& t) {
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 100; ++j)
            t.draw([&](DeviceContext& dc) {
                dc.state().pen = Pen{PenStyle::solid, 1, 0x5555FF};
                dc.state().brush = Brush::solid(0x5555FF);
                dc.draw_rect({j * 8, i * 5, j * 8 + 51, i * 5 + 51});
            });
}

// 10,000 numbered lines in a 24-row, 80-column region of Courier New 10 point text: each line
// past the last row scrolls the region up one line and clears its last row.
void console(Target& t) {
    std::shared_ptr<const Font> font =
        t.windows().fonts().open({"Courier New", -points_to_height(10)});
    const FontMetrics& m = font->metrics();
    const int line_height = m.ascent + m.descent + m.external_leading;
    const int char_width = m.average_char_width;
    const int rows = 24, columns = 80;
    const IntRect region{0, line_height - m.ascent - m.external_leading, columns * char_width,
                         rows * line_height + m.descent};
    const IntRect last_row{0, rows * line_height - m.ascent - m.external_leading,
                           columns * char_width, rows * line_height + m.descent};
    int row = 1;
    for (int i = 1; i <= 10000; ++i) {
        const std::string text = "console line " + std::to_string(i);
        t.draw([&](DeviceContext& dc) {
            dc.state().font = font;
            dc.draw_text({0, row * line_height - m.ascent}, text, TextAlign::top);
        });
        if (row < rows) {
            ++row;
            continue;
        }
        t.draw([&](DeviceContext& dc) {
            dc.scroll_rect(region, 0, -line_height);
            dc.fill_rect(last_row, Brush::solid(0xFFFFFF));
        });
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view which = argc == 2 ? argv[1] : "";
    Target target;
    if (which == "lines")
        lines(target);
    else if (which == "boxes")
        boxes(target);
    else if (which == "console")
        console(target);
    else {
        std::fputs("usage: drawing_direct lines|boxes|console\n", stderr);
        return 2;
    }
    return 0;
}
