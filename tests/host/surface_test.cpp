// Surfaces and the device context's state.
#include "golden.h"
#include "host/raster/device_context.h"
#include "host/raster/raster_error.h"

#include <climits>
#include <gtest/gtest.h>

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

} // namespace
} // namespace quillet
