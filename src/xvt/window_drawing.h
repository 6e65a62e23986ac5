// Drawing on a layer window (private to the layer): the window's record checked for drawing, and a
// device context over its picture with the window's tools, clip and pen position selected, for the
// span of one operation. Text selects the window's font itself: drawing without text opens none.
#pragma once

#include "xvt/layer_state.h"

namespace quillet::xvt_detail {

// The window's record when it takes drawing (types 1, 2, 3, 4, 7, 8); else 0x20000001 for `api`
// and nullptr.
LayerWindow* drawing_window(XvtWindow window, std::string_view api);

// The picture drawing reaches: a pixmap's own, or the window's client surface.
Surface* window_picture(LayerWindow& window);

// The font text is drawn and measured in.
std::shared_ptr<const GlyphFont> window_font(const LayerWindow& window);

// The host font of a font object at the screen's pixels per inch; none after reporting an error.
std::shared_ptr<const Font> screen_font(XvtFont font, std::string_view api);

// The pen and brush of a tools record, as the host draws them.
Pen pen_of(const DrawTools& tools);
Brush brush_of(const DrawTools& tools);
Rop2 mix_of(int32_t mode);
Rop3 block_transfer_of(int32_t mode);

class WindowDrawing {
public:
    explicit WindowDrawing(LayerWindow& window);
    ~WindowDrawing(); // keeps the pen position and shows what was drawn
    WindowDrawing(const WindowDrawing&) = delete;
    WindowDrawing& operator=(const WindowDrawing&) = delete;

    bool valid() const { return m_dc.has_value(); }
    DeviceContext& dc() { return *m_dc; }

private:
    LayerWindow& m_window;
    std::optional<DeviceContext> m_dc;
};

} // namespace quillet::xvt_detail
