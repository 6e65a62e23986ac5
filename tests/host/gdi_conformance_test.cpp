// Conformance with the checkpoints of a public GDI test suite (Wine's dlls/gdi32/tests/dib.c,
// draw_graphics, 32-bit BI_RGB target). The coordinates, colours and expected SHA-1 values below
// are the facts that suite publishes, recorded as Windows draws them; each group is replayed on
// our raster through gdi_dib_model.h. Groups that need something our raster does not offer are
// listed with the reason and skipped.
#include "gdi_dib_model.h"
#include "host/raster/dib.h"

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

namespace quillet {
namespace {

using test::DibPass;

constexpr Color blue = 0x0000FF, red = 0xFF0000, green = 0x00FF00, sky = 0x33AAFF;

void line(DeviceContext& dc, IntPoint a, IntPoint b) {
    dc.move_to(a);
    dc.line_to(b);
}

// Each PatBlt sweep of the suite steps through the 256 ternary codes; codes that need a source
// draw nothing.
Rop3 ternary(int index) {
    return static_cast<Rop3>(index) << 16;
}
bool needs_source(int index) {
    return rop3_uses_source(static_cast<uint8_t>(index));
}

void solid_lines(DeviceContext& dc, const DibPass& p) {
    dc.state().pen = {PenStyle::solid, 1, p.color(blue)};
    for (int i = 1; i <= 16; ++i) {
        dc.state().rop2 = static_cast<Rop2>(i);
        line(dc, {10, i * 3}, {100, i * 3});
        line(dc, {100, 50 + i * 3}, {10, 50 + i * 3});
        line(dc, {120 + i * 3, 10}, {120 + i * 3, 100});
        line(dc, {170 + i * 3, 100}, {170 + i * 3, 10});
    }
}

void diagonal_lines(DeviceContext& dc, const DibPass& p) {
    dc.state().pen = {PenStyle::solid, 1, p.color(blue)};
    for (int i = 0; i < 16; ++i) {
        const double s = std::sin(std::numbers::pi * i / 8), c = std::cos(std::numbers::pi * i / 8);
        // The suite passes doubles to integer parameters: truncated.
        line(dc, {static_cast<int>(200.5 + 10 * c), static_cast<int>(200.5 + 10 * s)},
             {static_cast<int>(200.5 + 100 * c), static_cast<int>(200.5 + 100 * s)});
    }
}

// One line per octant, each passing exactly half-way between two pixels.
void tie_lines(DeviceContext& dc, const DibPass& p) {
    dc.state().pen = {PenStyle::solid, 1, p.color(blue)};
    const IntPoint ends[] = {{200, 150}, {150, 200}, {50, 200}, {0, 150},
                             {0, 50},    {50, 0},    {150, 0},  {200, 50}};
    for (IntPoint end : ends)
        line(dc, {100, 100}, end);
}

// The suite's clip region: three disjoint rectangles.
Region three_rectangles() {
    return Region(IntRect{10, 10, 200, 20})
        .united({100, 100, 200, 200})
        .united({290, 100, 300, 200});
}

// Lines as (start, end) pairs, about the clip region's edges.
constexpr IntRect hline_clips[] = {
    {120, 120, 140, 120}, {100, 122, 140, 122}, {99, 124, 140, 124},  {120, 126, 200, 126},
    {120, 128, 201, 128}, {99, 130, 201, 130},  {120, 100, 140, 100}, {120, 99, 140, 99},
    {120, 199, 140, 199}, {120, 200, 140, 200}, {120, 132, 310, 132}, {10, 134, 101, 134},
    {10, 136, 100, 136},  {199, 138, 220, 138}, {200, 140, 220, 140}};
constexpr IntRect vline_clips[] = {
    {120, 120, 120, 140}, {100, 120, 100, 140}, {99, 120, 99, 140},   {199, 120, 199, 140},
    {200, 120, 200, 140}, {122, 99, 122, 201},  {124, 100, 124, 140}, {126, 99, 126, 140},
    {128, 120, 128, 200}, {130, 120, 130, 201}, {132, 12, 132, 140},  {134, 90, 134, 101},
    {136, 90, 136, 100},  {138, 199, 138, 220}, {140, 200, 140, 220}};
constexpr IntRect line_clips[] = {{90, 110, 310, 120}, {90, 120, 295, 130}, {90, 190, 110, 240},
                                  {90, 130, 100, 135}, {90, 132, 101, 137}, {200, 140, 210, 141},
                                  {199, 142, 210, 143}};
constexpr IntRect patblt_clips[] = {
    {120, 120, 140, 126}, {100, 130, 140, 136}, {99, 140, 140, 146},  {180, 130, 200, 136},
    {180, 140, 201, 146}, {120, 100, 130, 110}, {140, 99, 150, 110},  {120, 180, 130, 200},
    {140, 180, 150, 201}, {199, 150, 210, 156}, {200, 160, 210, 166}, {90, 150, 101, 156},
    {90, 160, 100, 166},  {160, 90, 166, 101},  {170, 90, 176, 101},  {160, 199, 166, 210},
    {170, 200, 176, 210}};

enum class Direction { forward, backward_horizontal, backward_vertical };

// The lines drawn within the three rectangles; backward lines run from the end one pixel in
// (so they cover the same pixels) to one pixel before the start.
test::DibGroup clipped_lines(std::span<const IntRect> lines, PenStyle style, BackgroundMode mode,
                             Direction direction = Direction::forward) {
    return [=](DeviceContext& dc, const DibPass& p) {
        dc.state().clip = three_rectangles();
        dc.state().pen = {style, 1, p.color(style == PenStyle::solid ? blue : red)};
        dc.state().background = p.color(green);
        dc.state().background_mode = mode;
        for (const IntRect& l : lines) {
            switch (direction) {
            case Direction::forward: line(dc, {l.left, l.top}, {l.right, l.bottom}); break;
            case Direction::backward_horizontal:
                line(dc, {l.right - 1, l.bottom}, {l.left - 1, l.top});
                break;
            case Direction::backward_vertical:
                line(dc, {l.right, l.bottom - 1}, {l.left, l.top - 1});
                break;
            }
        }
    };
}

void clipped_pattern_blits(DeviceContext& dc, const DibPass& p) {
    dc.state().clip = three_rectangles();
    dc.state().brush = Brush::solid(p.color(sky));
    for (const IntRect& r : patblt_clips)
        dc.pat_blt(r, rop3::pat_copy);
}

// A clip region with a hole in it: the fill stops at the hole.
void clipped_flood_fill(DeviceContext& dc, const DibPass& p) {
    const std::pair<IntRect, Color> blocks[] = {{{0, 0, 512, 512}, blue},
                                                {{10, 10, 210, 210}, green},
                                                {{10, 50, 60, 100}, blue},
                                                {{100, 160, 150, 210}, blue},
                                                {{90, 160, 160, 170}, blue}};
    for (const auto& [r, c] : blocks)
        dc.fill_rect(r, Brush::solid(p.color(c)));
    dc.state().clip = Region(dc.surface().rect()).subtracted({180, 10, 190, 210});
    dc.state().brush = Brush::solid(p.color(red));
    dc.flood_fill({100, 100});
}

void solid_pattern_blits(DeviceContext& dc, const DibPass& p) {
    dc.state().brush = Brush::solid(p.color(sky));
    for (int i = 0, y = 10; i < 256; ++i) {
        dc.pat_blt({10, y, 110, y + 10}, ternary(i));
        if (!needs_source(i)) y += 20;
    }
}

void rectangles(DeviceContext& dc, const DibPass& p) {
    const IntRect boxes[] = {{10, 11, 100, 101}, {250, 100, 350, 10}, {120, 10, 120, 20},
                             {120, 10, 130, 10}, {120, 40, 121, 41},  {130, 50, 132, 52},
                             {140, 60, 143, 63}, {150, 70, 154, 74},  {120, 20, 121, 30},
                             {130, 20, 132, 30}, {140, 20, 143, 30},  {200, 20, 210, 21},
                             {200, 30, 210, 32}, {200, 40, 210, 43}};
    dc.state().pen = {PenStyle::solid, 1, p.color(blue)};
    dc.state().brush = Brush::solid(p.color(sky));
    for (const IntRect& r : boxes)
        dc.draw_rect(r);
    dc.state().pen = {PenStyle::dash, 1, p.color(red)};
    dc.state().background = p.color(green);
    for (const IntRect& r : boxes)
        dc.draw_rect({r.left, r.top + 150, r.right, r.bottom + 150});
}

// The suite's region is three disjoint rectangles; painting it fills each with the brush.
void paint_region(DeviceContext& dc, const DibPass& p) {
    const Brush brush = Brush::solid(p.color(sky));
    for (IntRect r : {IntRect{10, 10, 200, 20}, {100, 100, 200, 200}, {290, 100, 300, 200}})
        dc.fill_rect(r, brush);
}

void hatch_blits(DeviceContext& dc, const DibPass& p) {
    dc.state().background = p.color(green);
    for (int i = 0, y = 10; i < 256; ++i) {
        if (needs_source(i)) continue;
        for (int h = 0; h < 6; ++h) {
            dc.state().brush = Brush::hatched(static_cast<Hatch>(h), p.color(red));
            const int x = 10 + i + 30 * h;
            dc.pat_blt({x, y, x + 20, y + 20}, ternary(i));
        }
        y += 25;
    }
}

test::DibGroup overlapping_blit(IntPoint to, IntPoint from, Rop3 rop) {
    return [=](DeviceContext& dc, const DibPass& p) {
        dc.state().pen = {PenStyle::solid, 1, p.color(blue)};
        dc.state().brush = Brush::solid(p.color(sky));
        for (IntRect r :
             {IntRect{10, 10, 100, 100}, {20, 15, 30, 40}, {15, 15, 20, 20}, {15, 20, 50, 45}})
            dc.draw_rect(r);
        dc.bit_blt({to.x, to.y, to.x + 100, to.y + 100}, dc.surface(), from, rop);
    };
}

// A packed bitmap as the suite builds it: a 40-byte header, then colour masks or table and rows.
Surface decode_bitmap(int width, int height, int bits_per_pixel, uint32_t compression,
                      std::span<const uint8_t> table, uint32_t colors_used,
                      std::span<const uint8_t> bits) {
    std::vector<uint8_t> header;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(40);
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    header.push_back(1), header.push_back(0);
    header.push_back(static_cast<uint8_t>(bits_per_pixel)), header.push_back(0);
    put32(compression);
    for (int i = 0; i < 3; ++i)
        put32(0);
    put32(colors_used);
    put32(0);
    header.insert(header.end(), table.begin(), table.end());
    return decode_dib(header, bits);
}

// A 256 x 256 bottom-up source bitmap as the suite builds it. Its pixels are written by row as
// stored (row 0 is the bottom one).
struct SourceBitmap {
    int bits_per_pixel;
    uint32_t compression = 0; // 0 plain, 3 bit masks
    std::vector<uint8_t> table;
    uint32_t colors_used = 0;
    std::vector<uint8_t> bits;

    SourceBitmap(int bpp, uint32_t comp, const std::vector<uint32_t>& t, uint32_t used)
        : bits_per_pixel(bpp), compression(comp), colors_used(used),
          bits(static_cast<size_t>(stride()) * 256) {
        for (uint32_t v : t)
            for (int i = 0; i < 4; ++i)
                table.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    int stride() const { return (256 * bits_per_pixel + 31) / 32 * 4; }
    uint8_t* row(int y) { return bits.data() + static_cast<size_t>(y) * stride(); }

    Surface decode() const {
        return decode_bitmap(256, 256, bits_per_pixel, compression, table, colors_used, bits);
    }
};

void copy_source(DeviceContext& dc, const Surface& src) {
    dc.bit_blt({100, 100, 356, 356}, src, {0, 0}, rop3::src_copy);
}

// 32-bit pixels with a fourth byte; the suite writes RGB(r, g, b) into them, so its red lands
// in the blue byte.
void blit_32bit_source(DeviceContext& dc, const DibPass& p) {
    Surface src(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint8_t a = static_cast<uint8_t>((x + y) * 2);
            const uint8_t r = static_cast<uint8_t>(static_cast<uint8_t>(y + 2 * x) * a / 255);
            const uint8_t g = static_cast<uint8_t>(static_cast<uint8_t>(x + y / 3) * a / 255);
            const uint8_t b = static_cast<uint8_t>(static_cast<uint8_t>(x / 3 + 2 * y) * a / 255);
            const uint32_t dword = uint32_t{a} << 24 | uint32_t{b} << 16 | uint32_t{g} << 8 | r;
            src.scanline(255 - y)[x] = p.pixel(dword);
        }
    copy_source(dc, src);
    const IntRect small[] = {{1, 4, 2, 2},  {1, 8, 16, 2}, {1, 12, 15, 2},
                             {0, 16, 8, 2}, {0, 20, 9, 2}, {7, 24, 1, 2},
                             {7, 28, 2, 2}, {7, 32, 9, 2}, {7, 36, 10, 2}};
    for (const IntRect& r : small) // x, y, width, height
        dc.bit_blt({r.left, r.top, r.left + r.right, r.top + r.bottom}, src, {0, 0},
                   rop3::src_copy);
}

void put_dword(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put_word(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v), at[1] = static_cast<uint8_t>(v >> 8);
}

void blit_r10g10b10_source(DeviceContext& dc, const DibPass& p) {
    SourceBitmap bmp(32, 3, {0x3ff00000, 0x000ffc00, 0x000003ff}, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint32_t r = (7 * x + 3 * y) % 1024, g = (11 * x + y / 3) % 1024,
                           b = (x / 3 + 9 * y) % 1024;
            put_dword(bmp.row(y) + 4 * x, r << 20 | g << 10 | b);
        }
    copy_source(dc, p.source(bmp.decode()));
}

void blit_b6g6r6_source(DeviceContext& dc, const DibPass& p) {
    SourceBitmap bmp(32, 3, {0x00003f, 0x000fc0, 0x03f000}, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint32_t r = (y + 2 * x) % 64, g = (x + y / 3) % 64, b = (x / 3 + 2 * y) % 64;
            put_dword(bmp.row(y) + 4 * x, r | g << 6 | b << 12);
        }
    copy_source(dc, p.source(bmp.decode()));
}

void blit_24bit_source(DeviceContext& dc, const DibPass& p) {
    SourceBitmap bmp(24, 0, {}, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint8_t* px = bmp.row(y) + 3 * x;
            px[0] = static_cast<uint8_t>(x + 3 * y);
            px[1] = static_cast<uint8_t>(2 * x + 7 * y);
            px[2] = static_cast<uint8_t>(5 * x + 12 * y);
        }
    copy_source(dc, p.source(bmp.decode()));
}

void fill_16bit(SourceBitmap& bmp) {
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            put_word(bmp.row(y) + 2 * x,
                     static_cast<uint16_t>(x | x << 4 | x << 8 | y << 3 | y << 7));
}

void blit_16bit_source(DeviceContext& dc, const DibPass& p) {
    SourceBitmap bmp(16, 0, {}, 0);
    fill_16bit(bmp);
    copy_source(dc, p.source(bmp.decode()));
}

void blit_b4g4r4_source(DeviceContext& dc, const DibPass& p) {
    SourceBitmap bmp(16, 3, {0x00000f, 0x0000f0, 0x000f00}, 0);
    fill_16bit(bmp);
    copy_source(dc, p.source(bmp.decode()));
}

void blit_8bit_source(DeviceContext& dc, const DibPass& p) {
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 160; ++i)
        colors.push_back(i | (i * 3) << 8 | (i / 2) << 16);
    SourceBitmap bmp(8, 0, colors, 160);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            bmp.row(y)[x] = static_cast<uint8_t>(3 * x + 5 * y);
    copy_source(dc, p.source(bmp.decode()));
}

void blit_4bit_source(DeviceContext& dc, const DibPass& p) {
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 12; ++i)
        colors.push_back(i | (i * 5) << 8 | (i * 19) << 16);
    SourceBitmap bmp(4, 0, colors, 12);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; x += 2)
            bmp.row(y)[x / 2] = static_cast<uint8_t>(7 * x + 3 * y);
    copy_source(dc, p.source(bmp.decode()));
}

void blit_1bit_source(DeviceContext& dc, const DibPass& p) {
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 2; ++i)
        colors.push_back((i + 37) | (i * 91) << 8 | (i * 53) << 16);
    SourceBitmap bmp(1, 0, colors, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; x += 8)
            bmp.row(y)[x / 8] = static_cast<uint8_t>(7 * x + 3 * y);
    const Surface src = p.source(bmp.decode());
    copy_source(dc, src);
    const int from_x[] = {0, 2, 5, 6};
    for (int i = 0; i < 4; ++i)
        dc.bit_blt({10 + 10 * i, 10, 13 + 10 * i, 20}, src, {from_x[i], 0}, rop3::src_copy);
    dc.bit_blt({50, 10, 70, 20}, src, {6, 0}, rop3::src_copy);
}

// The suite builds its 16 x 16 pattern brushes one after another in one buffer (colour table,
// then rows), each over what the previous ones left there; a brush's table and rows are
// therefore partly the bytes of earlier brushes. The buffer is replayed up to the brush wanted.
enum class BrushStep { top_down_8888, bottom_up_8888, rgb24, rgb555, indexed8, indexed4, mono1 };

struct BrushBuffer {
    std::array<uint8_t, 256 * 4 + 16 * 16 * 4> bytes{};
    uint8_t* at(size_t offset) { return bytes.data() + offset; }
    void clear(size_t offset, size_t count) { std::memset(at(offset), 0, count); }
};

Surface brush_after(BrushStep wanted, const DibPass& p) {
    BrushBuffer b;
    auto decode = [&](int height, int bpp, size_t table_entries, uint32_t colors_used) {
        const std::span<const uint8_t> all(b.bytes);
        return p.source(decode_bitmap(16, height, bpp, 0, all.first(table_entries * 4), colors_used,
                                      all.subspan(table_entries * 4)));
    };
    b.clear(0, 16 * 16 * 4); // 32-bit rows, no table
    for (size_t i : {2, 6, 14, 65, 69, 72})
        *b.at(i) = 0xff;
    if (wanted == BrushStep::top_down_8888) return decode(-16, 32, 0, 0);
    if (wanted == BrushStep::bottom_up_8888) return decode(16, 32, 0, 0);
    b.clear(0, 16 * 16 * 3);
    for (size_t i : {0, 3, 6, 8, 49, 52})
        *b.at(i) = 0xff;
    if (wanted == BrushStep::rgb24) return decode(-16, 24, 0, 0);
    b.clear(0, 16 * 16 * 2);
    *b.at(0) = *b.at(1) = 0xff;
    *b.at(32) = *b.at(34) = 0x7c;
    if (wanted == BrushStep::rgb555) return decode(-16, 16, 0, 0);
    // Three colours (red, white, black), then rows of indexes; index 6 lies past the table.
    b.clear(0, 3 * 4);
    *b.at(2) = 0xff;
    *b.at(4) = *b.at(5) = *b.at(6) = 0xff;
    const size_t rows8 = 3 * 4;
    b.clear(rows8, 16 * 16);
    for (size_t i : {0, 1})
        *b.at(rows8 + i) = 1;
    for (size_t i : {16, 17})
        *b.at(rows8 + i) = 2;
    for (size_t i : {32, 33})
        *b.at(rows8 + i) = 6;
    if (wanted == BrushStep::indexed8) return decode(-16, 8, 3, 3);
    // The 4-bit brush names no colour count: its 16-entry table runs on into the 8-bit rows.
    if (wanted == BrushStep::indexed4) return decode(-16, 4, 16, 0);
    // The 1-bit brush's rows start after two colours, but the suite clears and sets them through
    // its pointer to the 8-bit rows, one 4-byte row further on: row 0 is the third colour.
    b.clear(rows8, 16 * 4);
    for (size_t i : {0, 4, 8})
        *b.at(rows8 + i) = 0xf0;
    return decode(-16, 1, 2, 2);
}

void pattern_blits(DeviceContext& dc) {
    for (int i = 0, y = 10; i < 256; ++i) {
        if (needs_source(i)) continue;
        dc.pat_blt({10 + i, y, 110 + i, y + 20}, ternary(i));
        y += 25;
    }
}

test::DibGroup dib_brush_blits(BrushStep step, IntPoint origin) {
    return [=](DeviceContext& dc, const DibPass& p) {
        dc.state().brush = Brush::with_pattern(std::make_shared<Surface>(brush_after(step, p)));
        dc.state().brush_origin = origin;
        pattern_blits(dc);
    };
}

// A monochrome bitmap brush takes the text colour for its 0 bits and the background colour for
// its 1 bits, both as they stand at each blit; the suite changes them before every code.
void mono_bitmap_brush_blits(DeviceContext& dc, const DibPass& p) {
    const uint32_t words[8] = {0x11112222, 0x33334444, 0x55556666, 0x77778888,
                               0xaaaaaaaa, 0x00000000, 0x98765432, 0xabcdef00};
    auto bit = [&](int x, int y) { // rows of two bytes, most significant bit first
        const size_t byte = static_cast<size_t>(y * 2 + x / 8);
        return (words[byte / 4] >> (8 * (byte % 4)) >> (7 - x % 8)) & 1;
    };
    dc.state().brush_origin = {1, 1};
    for (int i = 0, y = 10; i < 256; ++i) {
        const Color text = p.color(static_cast<Color>(i << 16 | (2 * i & 0xff) << 8 | (255 - i)));
        const Color back = p.color(static_cast<Color>((255 - i) << 16 | (i / 3) << 8 | i));
        if (needs_source(i)) continue;
        auto pattern = std::make_shared<Surface>(16, 16);
        for (int py = 0; py < 16; ++py)
            for (int px = 0; px < 16; ++px)
                pattern->set_pixel(px, py, bit(px, py) ? back : text);
        dc.state().brush = Brush::with_pattern(std::move(pattern));
        dc.pat_blt({10 + i, y, 110 + i, y + 20}, ternary(i));
        y += 25;
    }
}

void wide_round_pen(DeviceContext& dc, const DibPass& p) {
    dc.state().pen = {PenStyle::solid, 7, p.color(red)};
    const IntRect lines[] = {{100, 10, 200, 10}, {100, 21, 200, 21}, {200, 40, 100, 40},
                             {200, 61, 100, 61}, {10, 100, 10, 200}, {21, 100, 21, 200},
                             {40, 200, 40, 100}, {61, 200, 61, 100}};
    for (const IntRect& l : lines)
        line(dc, {l.left, l.top}, {l.right, l.bottom});
}

struct Checkpoint {
    const char* name;
    const char* sha1;
    test::DibGroup group; // empty: not expressible, for the reason given
    const char* reason = nullptr;
};

constexpr const char* alpha_blend = "needs alpha blending";
constexpr const char* geometric_pen = "needs geometric pens (end caps, joins, brushed pens)";
constexpr const char* palette_color = "needs palette colour references (PALETTEINDEX, DIBINDEX)";

const std::vector<Checkpoint>& checkpoints() {
    static const std::vector<Checkpoint> all = {
        {"empty", "a3cadd34d95d3d5cc23344f69aab1c2e55935fcf",
         [](DeviceContext&, const DibPass&) {}},
        {"h_and_v_solid_lines", "2426172d9e8fec27d9228088f382ef3c93717da9", solid_lines},
        {"diagonal_solid_lines", "9e8f27ca952cdba01dbf25d07c34e86a7820c012", diagonal_lines},
        {"more_diagonal_solid_lines", "664fac17803859a4015c6ae29e5538e314d5c827", tie_lines},
        {"solid_patblt", "17b2c177bdce5e94433574a928bda5c94a8cdfa5", solid_pattern_blits},
        {"clipped_solid_hlines", "fe6cc678fb13a3ead67839481bf22348adc69f52",
         clipped_lines(hline_clips, PenStyle::solid, BackgroundMode::opaque)},
        {"clipped_solid_vlines", "d51bd330cec510cdccf5394328bd8e5411901e9e",
         clipped_lines(vline_clips, PenStyle::solid, BackgroundMode::opaque)},
        {"clipped_solid_diagonal_lines", "df4aebf98d91f11be560dd232123b3ae327303d7",
         clipped_lines(line_clips, PenStyle::solid, BackgroundMode::opaque)},
        {"clipped_patblt", "f2af53dd073a09b1031d0032d28da35c82adc566", clipped_pattern_blits},
        {"clipped_dashed_hlines", "eb5a963a6f7b25533ddfb8915e70865d037bd156",
         clipped_lines(hline_clips, PenStyle::dash, BackgroundMode::transparent)},
        {"clipped_dashed_hlines_r_to_l", "c387917268455017aa0b28bed73aa6554044bbb3",
         clipped_lines(hline_clips, PenStyle::dash, BackgroundMode::transparent,
                       Direction::backward_horizontal)},
        {"clipped_dashed_vlines", "dcae44fee010dbf7a107797a503923fd8b1abe2e",
         clipped_lines(vline_clips, PenStyle::dash, BackgroundMode::transparent)},
        {"clipped_dashed_vlines_b_to_t", "6c530622a025d872a642e8f950867884d7b136cb",
         clipped_lines(vline_clips, PenStyle::dash, BackgroundMode::transparent,
                       Direction::backward_vertical)},
        {"clipped_dashed_diagonal_lines", "7c07d91b8f68fb31821701b3dcb96de018bf0c66",
         clipped_lines(line_clips, PenStyle::dash, BackgroundMode::transparent)},
        {"clipped_opaque_dashed_diagonal_lines", "b2261353decda2712b83538ab434a49ce21f3172",
         clipped_lines(line_clips, PenStyle::dash, BackgroundMode::opaque)},
        {"top_down_8888_dib_brush_patblt", "35f731c0f6356b8f30651bb3cbe0d922c49deba5",
         dib_brush_blits(BrushStep::top_down_8888, {1, 1})},
        {"bottom_up_8888_dib_brush_patblt", "9b9874c1c1d92afa554137e191d34ea33acc322f",
         dib_brush_blits(BrushStep::bottom_up_8888, {4, 100})},
        {"top_down_24bpp_brush_patblt", "c311dd74325e8cebfc8529a6d24a6fa4ecb7137e",
         dib_brush_blits(BrushStep::rgb24, {1, 1})},
        {"top_down_555_dib_brush_patblt", "d7398de15b2837a58a62a701ca1b3384625afec4",
         dib_brush_blits(BrushStep::rgb555, {1, 1})},
        {"top_down_8bpp_dib_brush_patblt", "a78b28472bb7ff480ddedd06b9cf2daa775fa7ae",
         dib_brush_blits(BrushStep::indexed8, {1, 1})},
        {"top_down_4bpp_dib_brush_patblt", "5246ef357e7317b9d141a3294d300c195da76cb7",
         dib_brush_blits(BrushStep::indexed4, {1, 1})},
        {"top_down_1bpp_dib_brush_patblt", "87f6b6a19f021ca5912d285e14ce2ff9474d79f3",
         dib_brush_blits(BrushStep::mono1, {1, 1})},
        {"1bpp_ddb_brush_patblt", "3d8244b665ecdb104087bad171b0b0f83545133c",
         mono_bitmap_brush_blits},
        {"rectangles", "e2a8eef4aeda3a0f6c950075acba38f1f9e0814d", rectangles},
        {"paint_region", "8b66f14d51ecdeea12bc993302bb9b7d3ec085a1", paint_region},
        {"rtl",
         "7da9dd3d40d44d92deb9883fb7110443c2d5769a",
         {},
         "needs the right-to-left (mirrored) layout"},
        {"hatch_brushes", "e358efb1c11172e40855de620bdb8a8e545cd790", hatch_blits},
        {"overlapping_bitblt_srccopy_px_py", "58806549380c964e7a53ad54821d2eb86fa5b9ce",
         overlapping_blit({20, 20}, {10, 10}, rop3::src_copy)},
        {"overlapping_bitblt_srccopy_mx_my", "7fc30d3058c235ce39088de0a598b8c7fe7ca61f",
         overlapping_blit({10, 10}, {20, 20}, rop3::src_copy)},
        {"overlapping_bitblt_srccopy_px_my", "52a6c769c227f2bb1949097c4c87fed5ee0cbcb1",
         overlapping_blit({20, 10}, {10, 20}, rop3::src_copy)},
        {"overlapping_bitblt_srccopy_mx_py", "8a010d4c5af51fcc34d51be3197878782bdf63e7",
         overlapping_blit({10, 20}, {20, 10}, rop3::src_copy)},
        {"overlapping_bitblt_patpaint_px_py", "c84c2c33e22eb7e5c4a2faad3b3b99a359d77528",
         overlapping_blit({20, 20}, {10, 10}, rop3::pat_paint)},
        {"overlapping_bitblt_patpaint_mx_my", "41bcc1f57c60bdec3c4d1e749084a12867f91224",
         overlapping_blit({10, 10}, {20, 20}, rop3::pat_paint)},
        {"overlapping_bitblt_patpaint_px_my", "94645300d6eb51020a7ef8261dee2941cd51b5df",
         overlapping_blit({20, 10}, {10, 20}, rop3::pat_paint)},
        {"overlapping_bitblt_patpaint_mx_py", "21cdfde38ac7edbb241ec83d82f31286e90c4629",
         overlapping_blit({10, 20}, {20, 10}, rop3::pat_paint)},
        {"bitblt_src_32bpp_srccopy", "0e6fc62522b0d6d2019f826ac0b586b91bd0d4fe", blit_32bit_source},
        {"alphablend_src_32bpp_no_alpha",
         "68c18db6abfda626cab12d198298d4c39264bfbc",
         {},
         alpha_blend},
        {"alphablend_src_32bpp_alpha", "6b59ae6c20749020ad43175e05110dc33b6a59b5", {}, alpha_blend},
        {"bitblt_src_32bpp_r10g10b10_srccopy", "39c31de73aafcfcadf0bf414da4495be9de54417",
         blit_r10g10b10_source},
        {"bitblt_src_32bpp_b6g6r6_srccopy", "132949f59bfeb88dc2047e6eaecb8512aea3d9ab",
         blit_b6g6r6_source},
        {"bitblt_src_24bpp_srccopy", "f6a6d765bf23726329f96020ba8c5e3c0897aafa", blit_24bit_source},
        {"alphablend_src_24bpp", "a7aa311cdc6137f15b9ef9cb1a92ac54ec02f058", {}, alpha_blend},
        {"bitblt_src_16bpp_srccopy", "e71d6bb9bd38eea5719f8ba57177997910e2d841", blit_16bit_source},
        {"bitblt_src_16bpp_b4g4r4_srccopy", "3d2ccbe51408232a04769546b1bdd74f84558a41",
         blit_b4g4r4_source},
        {"bitblt_src_8bpp_srccopy", "a1fe9aa885584a0f713d7c6f76c89830fbf28563", blit_8bit_source},
        {"alphablend_src_8bpp", "d7085333becdec7759a5229e5fe9ba1e11db0c22", {}, alpha_blend},
        {"bitblt_src_4bpp_srccopy", "aaf62842bb98d8a2945c4f643baf50afaeea9307", blit_4bit_source},
        {"bitblt_src_1bpp_srccopy", "d7e34fa02db7ad52327f80389bd1ba1b72b6c692", blit_1bit_source},
        {"alphablend_src_1bpp", "d7dd4700f49808541bba99244b7eb5840e0a2439", {}, alpha_blend},
        {"rle_stretchdibits",
         "af99228aa4cfbd1f61bd824db046144a3c6c2ed7",
         {},
         "needs RLE-compressed bitmaps"},
        // Replayed as stretches of a decoded 4 x 4 bitmap (source origin at the lower-left
        // corner of a bottom-up bitmap, or at the top; ANDed top-down rows as they are or
        // flipped; all-negative extents normalized or walked), no reading gives this hash.
        {"stretchdibits",
         "568f87f0194ca19b69a5b2bcdef795d89c5721ce",
         {},
         "needs StretchDIBits's own reading of packed bitmaps' source rectangles"},
        {"colors", "a37810f46dee8741fe5adbb3f1f2e87012ffc929", {}, palette_color},
        {"set_pixel", "50a09678c49c208f71d40452daca5411279aa674", {}, palette_color},
        {"gradient_fill_rect",
         "e462052a03dbe4ec3814db7700e166d00d4d686f",
         {},
         "needs gradient fills"},
        {"gradient_fill_triangle",
         "a27917d4db49ce77989fae246015aeb2a28520ee",
         {},
         "needs gradient fills"},
        {"wide_pen", "657514a4ca1f2b6ca7a125ad58dfed82099a37d1", wide_round_pen},
        {"wide_pen_flat_caps_mitred",
         "5e0549fdcf0fc7c50054dccc51d37fc734ab8134",
         {},
         geometric_pen},
        {"wide_pen_square_caps_bevelled",
         "eca1998a4d79fb81b2a4103f79e3b846a864eaaf",
         {},
         geometric_pen},
        {"wide_pen_empty_segments", "e4acfcf2d001fbc431d9af59ab3d3ca7c2d965e5", {}, geometric_pen},
        {"wide_brushed_pen", "2b3198bd5c0a87db5dab13df8bbe14363d02acec", {}, geometric_pen},
        {"dashed_wide_brushed_pen", "aebb1b3baa4fd5213bf80a5ad7a50d54de8fdba4", {}, geometric_pen},
        {"paletteindex", "5dca709c60e0cd50fa85274a2836aec9eb6168e3", {}, palette_color},
        {"flood_fill", "cc4e1372ddf6e303a7fd159090c9d3a1f8ec2a89", clipped_flood_fill},
    };
    return all;
}

class GdiCheckpoint : public ::testing::TestWithParam<size_t> {};

TEST_P(GdiCheckpoint, MatchesThePublishedHash) {
    const Checkpoint& c = checkpoints()[GetParam()];
    if (!c.group) GTEST_SKIP() << c.name << ": " << c.reason;
    EXPECT_EQ(test::dib_hash_after(c.group), c.sha1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(DibGraphics, GdiCheckpoint,
                         ::testing::Range(size_t{0}, checkpoints().size()),
                         [](const ::testing::TestParamInfo<size_t>& param_info) {
                             return std::string(checkpoints()[param_info.param].name);
                         });

} // namespace
} // namespace quillet
