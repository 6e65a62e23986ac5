// The parts of a window outside its client area: border, caption with close box, menu bar and
// window scroll bars; how they look and which part a point is on.
#pragma once

#include "host/device_context.h"
#include "host/window_record.h"

#include <vector>

namespace quillet::host {

enum class FramePart : uint8_t {
    none,
    client,
    caption,
    close_box,
    menu_bar,
    hscroll,
    vscroll,
    border
};

struct FrameHit {
    FramePart part = FramePart::none;
    int menu_index = -1; // menu_bar: the title under the point, or -1
};

// Rectangles relative to the window's outer rectangle.
IntRect caption_rect(const WindowRecord& w, const Metrics& m);
IntRect close_box_rect(const WindowRecord& w, const Metrics& m);
IntRect menu_bar_rect(const WindowRecord& w, const Metrics& m);
std::vector<IntRect> menu_title_rects(const WindowRecord& w, const Metrics& m, const Font& font);
IntRect window_bar_rect(const WindowRecord& w, const Metrics& m, ScrollBarKind kind);

FrameHit frame_hit(const WindowRecord& w, const Metrics& m, const Font& font, IntPoint p);
// Draws the frame with the window's outer top-left corner at origin.
void draw_frame(DeviceContext& dc, const WindowRecord& w, const Metrics& m, const Font& font,
                const Font& caption_font, IntPoint origin, bool active);

} // namespace quillet::host
