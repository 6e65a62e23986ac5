// Scroll-bar geometry, drawing and hit testing, shared by window bars and scroll-bar controls.
#pragma once

#include "host/raster/device_context.h"
#include "host/windows/window_record.h"

namespace quillet::host {

enum class ScrollPart : uint8_t { none, arrow_back, arrow_forward, page_back, page_forward, thumb };

struct ScrollLayout {
    IntRect back;    // up or left arrow
    IntRect forward; // down or right arrow
    IntRect track;   // between the arrows
    IntRect thumb;   // empty when the bar has no range
};

ScrollLayout scroll_layout(IntRect bar, ScrollBarKind kind, const ScrollBarState& s,
                           const Metrics& m);
ScrollPart scroll_hit(const ScrollLayout& layout, IntPoint p);
// The position that puts the thumb's start at pixel `start` along the track.
int scroll_position_at(const ScrollLayout& layout, ScrollBarKind kind, const ScrollBarState& s,
                       int start);
int clamp_scroll_position(const ScrollBarState& s, int position);
void paint_scroll_bar(DeviceContext& dc, IntRect bar, ScrollBarKind kind, const ScrollBarState& s,
                      const Metrics& m, bool enabled);

} // namespace quillet::host
