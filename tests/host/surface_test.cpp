// Surfaces and the device context's state.
#include "golden.h"
#include "host/raster/device_context.h"
#include "host/raster/raster_error.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <utility>

namespace quillet {
namespace {

TEST(Surface, SizesAndPixels) {
    Surface s(3, 2, 0x12345678);
    EXPECT_EQ(s.width(), 3);
    EXPECT_EQ(s.height(), 2);
    EXPECT_EQ(s.pixel(2, 1), 0x345678u); // the top byte is not part of a colour
    s.set_pixel(1, 0, 0xFF00FF00);
    EXPECT_EQ(s.scanline(0)[1], 0x0000FF00u);
    EXPECT_EQ(Surface(0, 0).pixels().size(), 0u);
    EXPECT_EQ(Surface(0, 100).pixels().size(), 0u);
}

TEST(Surface, RefusesBadSizes) {
    for (auto [w, h] : {std::pair{-1, 5},
                        {5, -1},
                        {INT_MIN, INT_MIN},
                        {INT_MAX, 1},
                        {max_surface_side + 1, 1},
                        {max_surface_side, max_surface_side}}) {
        try {
            Surface s(w, h);
            ADD_FAILURE() << w << " x " << h << " was accepted";
        } catch (const RasterError& e) {
            EXPECT_EQ(e.code(), RasterErrorCode::bad_size);
        }
    }
}

TEST(DeviceContext, SaveAndRestoreTheWholeState) {
    Surface s(10, 10);
    DeviceContext dc(s);
    dc.state().pen = {PenStyle::dot, 3, 0xFF0000};
    dc.state().clip = IntRect{1, 1, 5, 5};
    {
        DeviceContextStateSaver saver(dc);
        dc.state().pen.color = 0x00FF00;
        dc.state().brush = Brush::hatched(Hatch::cross, 0x0000FF);
        dc.state().rop2 = Rop2::xor_pen;
        dc.state().clip.reset();
        dc.move_to({7, 7});
    }
    EXPECT_EQ(dc.state().pen.color, 0xFF0000u);
    EXPECT_EQ(dc.state().pen.style, PenStyle::dot);
    EXPECT_EQ(dc.state().brush.style, BrushStyle::solid);
    EXPECT_EQ(dc.state().rop2, Rop2::copy_pen);
    EXPECT_EQ(dc.state().position, (IntPoint{0, 0}));
    EXPECT_EQ(dc.clip_rect(), (IntRect{1, 1, 5, 5}));
    EXPECT_THROW(dc.restore(), std::logic_error);
}

TEST(DeviceContext, PixelsRespectClipAndBounds) {
    Surface s(10, 10);
    DeviceContext dc(s);
    dc.state().clip = IntRect{2, 2, 4, 4};
    dc.set_pixel({3, 3}, 0xFFFFFF);
    dc.set_pixel({5, 5}, 0xFFFFFF);
    dc.set_pixel({-1, 3}, 0xFFFFFF);
    dc.set_pixel({INT_MAX, INT_MIN}, 0xFFFFFF);
    EXPECT_EQ(s.pixel(3, 3), 0xFFFFFFu);
    EXPECT_EQ(s.pixel(5, 5), 0u);
    EXPECT_EQ(dc.get_pixel({5, 5}), Color{0}); // reading is not clipped, only bounded
    EXPECT_FALSE(dc.get_pixel({10, 0}));
    EXPECT_FALSE(dc.get_pixel({0, -1}));
    // A clip outside the surface leaves nothing to draw on.
    dc.state().clip = IntRect{20, 20, 30, 30};
    EXPECT_TRUE(dc.clip_rect().is_empty());
    dc.fill_rect({0, 0, 10, 10}, Brush::solid(0xFF));
    EXPECT_EQ(s.pixel(0, 0), 0u);
}

TEST(Region, UnionsSubtractionsAndIntersectionsStayDisjoint) {
    const Region r = Region(IntRect{0, 0, 10, 10}).united({5, 5, 15, 15}).subtracted({3, 3, 7, 7});
    int64_t area = 0;
    for (const IntRect& a : r.rects()) {
        area += a.width() * a.height();
        for (const IntRect& b : r.rects())
            if (&a != &b) {
                EXPECT_TRUE(a.intersected(b).is_empty());
            }
    }
    EXPECT_EQ(area, 100 + 100 - 25 - 16); // two squares overlapping by 25, less a 4 x 4 hole
    EXPECT_EQ(r.bounds(), (IntRect{0, 0, 15, 15}));
    EXPECT_FALSE(r.contains({4, 4}));
    EXPECT_TRUE(r.contains({7, 7}));
    EXPECT_TRUE(r.contains({14, 14}));
    EXPECT_FALSE(r.contains({14, 0}));
    EXPECT_TRUE(r.intersected({20, 20, 30, 30}).is_empty());
    EXPECT_TRUE(Region(IntRect{5, 5, 5, 9}).is_empty());
    EXPECT_TRUE(
        Region(IntRect{0, 0, 4, 4}).subtracted({INT_MIN, INT_MIN, INT_MAX, INT_MAX}).is_empty());
}

// With a clip region that has a hole, every operation leaves the hole alone and draws the rest
// exactly as it would without the clip.
TEST(DeviceContext, EveryOperationHonoursAClipRegionWithAHole) {
    const IntRect hole{12, 9, 21, 17};
    const Region clip = Region(IntRect{0, 0, 40, 30}).subtracted(hole);
    using Op = std::function<void(DeviceContext&)>;
    const std::pair<const char*, Op> ops[] = {
        {"dashed line",
         [](DeviceContext& dc) {
             dc.state().pen = {PenStyle::dash, 1, 0xFF0000};
             dc.move_to({0, 3});
             dc.line_to({39, 25});
         }},
        {"wide line",
         [](DeviceContext& dc) {
             dc.state().pen = {PenStyle::solid, 5, 0xFF0000};
             dc.move_to({2, 12});
             dc.line_to({38, 14});
         }},
        {"xor ellipse",
         [](DeviceContext& dc) {
             dc.state().rop2 = Rop2::xor_pen;
             dc.state().brush = Brush::hatched(Hatch::cross, 0x00FF00);
             dc.draw_ellipse({3, 2, 35, 28});
         }},
        {"polygon",
         [](DeviceContext& dc) {
             const IntPoint points[] = {{1, 1}, {38, 5}, {20, 28}};
             dc.draw_polygon(points);
         }},
        {"fill",
         [](DeviceContext& dc) {
             dc.fill_rect({5, 5, 30, 20}, Brush::solid(0x0000FF));
         }},
        {"pattern blit",
         [](DeviceContext& dc) {
             dc.state().brush = Brush::hatched(Hatch::diagonal_cross, 0x00FFFF);
             dc.pat_blt({0, 0, 40, 30}, rop3::pat_invert);
         }},
        {"overlapping copy",
         [](DeviceContext& dc) {
             dc.bit_blt({4, 3, 40, 30}, dc.surface(), {0, 0}, rop3::src_copy);
         }},
        {"stretch",
         [](DeviceContext& dc) {
             dc.stretch_blt({0, 0, 40, 30}, dc.surface(), {5, 5, 25, 20}, rop3::src_invert);
         }},
        {"scroll",
         [](DeviceContext& dc) {
             dc.scroll_rect({0, 0, 40, 30}, 3, -2);
         }},
        {"pixel",
         [](DeviceContext& dc) {
             for (int i = 0; i < 40; ++i)
                 dc.set_pixel({i, i % 30}, 0xABCDEF);
         }},
    };
    for (const auto& [name, op] : ops) {
        Surface start(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                start.set_pixel(x, y, Color(x * 6151 + y * 97));
        Surface reference = start, clipped = start;
        DeviceContext ref_dc(reference), dc(clipped);
        op(ref_dc);
        dc.state().clip = clip;
        op(dc);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(clipped.pixel(x, y),
                          hole.contains({x, y}) ? start.pixel(x, y) : reference.pixel(x, y))
                    << name << " at " << x << "," << y;
    }
}

} // namespace
} // namespace quillet
