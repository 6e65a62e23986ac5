// Benchmarks of the host raster on 1024 x 768 surfaces: solid fill, source-copy blit, a stretch
// blit, one-pixel lines and a screen of text. The fill and the blit are also done with pixman in
// the same run, so that the ratio of the two is measured under the same load.
#include "host/raster/device_context.h"
#include "host/raster/raster_error.h"
#include "host/text/fonts.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <pixman.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr int surface_width = 1024;
constexpr int surface_height = 768;
constexpr int64_t surface_pixels = int64_t{surface_width} * surface_height;

void report_pixels(benchmark::State& state, int64_t pixels_per_iteration) {
    const int64_t pixels = static_cast<int64_t>(state.iterations()) * pixels_per_iteration;
    state.SetItemsProcessed(pixels);
    state.SetBytesProcessed(pixels * static_cast<int64_t>(sizeof(Color)));
}

// A source picture with some variety, so that copies move real data.
Surface gradient_surface(int width, int height) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set_pixel(x, y,
                        static_cast<Color>((x * 255 / width) << 16 | (y * 255 / height) << 8 |
                                           ((x ^ y) & 0xFF)));
    return s;
}

void BM_Fill(benchmark::State& state) {
    Surface surface(surface_width, surface_height);
    DeviceContext dc(surface);
    const Brush brushes[] = {Brush::solid(0x336699), Brush::solid(0x996633)};
    size_t n = 0;
    for (auto _ : state) {
        dc.fill_rect(surface.rect(), brushes[n++ & 1]);
        benchmark::ClobberMemory();
    }
    report_pixels(state, surface_pixels);
}
BENCHMARK(BM_Fill);

void BM_BlitCopy(benchmark::State& state) {
    const Surface source = gradient_surface(surface_width, surface_height);
    Surface surface(surface_width, surface_height);
    DeviceContext dc(surface);
    for (auto _ : state) {
        dc.bit_blt(surface.rect(), source, {0, 0}, rop3::src_copy);
        benchmark::ClobberMemory();
    }
    report_pixels(state, surface_pixels);
}
BENCHMARK(BM_BlitCopy);

// A 512 x 384 picture stretched to the whole surface (each source pixel drawn 2 x 2 times).
void BM_StretchCopy(benchmark::State& state) {
    const Surface source = gradient_surface(surface_width / 2, surface_height / 2);
    Surface surface(surface_width, surface_height);
    DeviceContext dc(surface);
    for (auto _ : state) {
        dc.stretch_blt(surface.rect(), source, source.rect(), rop3::src_copy);
        benchmark::ClobberMemory();
    }
    report_pixels(state, surface_pixels);
}
BENCHMARK(BM_StretchCopy);

// A fan of 1-pixel lines from the centre to every 8th pixel of the border, in every direction
// and slope; items are the pixels drawn.
void BM_Lines(benchmark::State& state) {
    Surface surface(surface_width, surface_height);
    DeviceContext dc(surface);
    dc.state().pen = Pen{PenStyle::solid, 1, 0xFF8000};
    const IntPoint centre{surface_width / 2, surface_height / 2};
    std::vector<IntPoint> ends;
    for (int x = 0; x < surface_width; x += 8) {
        ends.push_back({x, 0});
        ends.push_back({x, surface_height - 1});
    }
    for (int y = 0; y < surface_height; y += 8) {
        ends.push_back({0, y});
        ends.push_back({surface_width - 1, y});
    }
    int64_t pixels_per_fan = 0;
    for (IntPoint e : ends)
        pixels_per_fan += std::max(std::abs(e.x - centre.x), std::abs(e.y - centre.y));
    for (auto _ : state) {
        for (IntPoint e : ends) {
            dc.move_to(centre);
            dc.line_to(e);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * pixels_per_fan);
    state.counters["lines"] = benchmark::Counter(
        static_cast<double>(state.iterations() * ends.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Lines);

// A full 80 x 25 text screen in Courier New 12 pt on an opaque background; items are characters.
void BM_TextScreen(benchmark::State& state) {
    constexpr int columns = 80, rows = 25;
    Surface surface(surface_width, surface_height);
    DeviceContext dc(surface);
    FontLibrary fonts;
    try {
        dc.state().font = fonts.open({"Courier New", points_to_height(12), 400});
    } catch (const RasterError& e) {
        state.SkipWithError(e.what());
        return;
    }
    dc.state().text_color = 0xC0C0C0;
    dc.state().background = 0x000080;
    dc.state().background_mode = BackgroundMode::opaque;
    std::vector<std::string> lines(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            lines[r] += static_cast<char>(' ' + 1 + (r * columns + c) % 94);
    const int line_height = dc.state().font->metrics().height;
    for (const std::string& line : lines) // renders and caches every glyph before timing
        dc.draw_text({0, 0}, line, TextAlign::top);
    for (auto _ : state) {
        for (int r = 0; r < rows; ++r)
            dc.draw_text({0, r * line_height}, lines[r], TextAlign::top);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * columns * rows);
}
BENCHMARK(BM_TextScreen)->Unit(benchmark::kMicrosecond);

// pixman images over plain buffers in the same pixel layout as ours (x8r8g8b8, no padding).
struct PixmanImage {
    std::vector<uint32_t> pixels;
    pixman_image_t* image;
    PixmanImage(const Surface& s)
        : pixels(s.pixels().begin(), s.pixels().end()),
          image(pixman_image_create_bits(PIXMAN_x8r8g8b8, s.width(), s.height(), pixels.data(),
                                         s.width() * static_cast<int>(sizeof(uint32_t)))) {}
    ~PixmanImage() { pixman_image_unref(image); }
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
};

void BM_PixmanFill(benchmark::State& state) {
    PixmanImage dest(Surface(surface_width, surface_height));
    const pixman_color_t colors[] = {{0x3333, 0x6666, 0x9999, 0xFFFF},
                                     {0x9999, 0x6666, 0x3333, 0xFFFF}};
    const pixman_rectangle16_t whole{0, 0, surface_width, surface_height};
    size_t n = 0;
    for (auto _ : state) {
        pixman_image_fill_rectangles(PIXMAN_OP_SRC, dest.image, &colors[n++ & 1], 1, &whole);
        benchmark::ClobberMemory();
    }
    report_pixels(state, surface_pixels);
}
BENCHMARK(BM_PixmanFill);

void BM_PixmanBlitCopy(benchmark::State& state) {
    PixmanImage source(gradient_surface(surface_width, surface_height));
    PixmanImage dest(Surface(surface_width, surface_height));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, source.image, nullptr, dest.image, 0, 0, 0, 0, 0, 0,
                                 surface_width, surface_height);
        benchmark::ClobberMemory();
    }
    report_pixels(state, surface_pixels);
}
BENCHMARK(BM_PixmanBlitCopy);

} // namespace
} // namespace quillet
