// The parts of a window outside its client area: border, caption with close box, menu bar and
// window scroll bars; how they look and which part a point is on.
#pragma once

#include "host/raster/device_context.h"
#include "host/text/fonts.h"
#include "host/windows/window_types.h"

#include <vector>

namespace quillet::host {

struct WindowRecord;

// Frame thickness on each side of a window with that style (and a menu bar).
struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
FrameInsets frame_insets(const Metrics& metrics, const WindowStyle& style, bool menu_bar);

// The part of a top-level window's outer rectangle (relative to it) that a desktop window shows:
// a window manager draws the border and caption of a captioned window itself; a window without
// a caption shows its own edge.
IntRect desktop_shown_part(const Metrics& metrics, const WindowStyle& style, IntSize outer);

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
