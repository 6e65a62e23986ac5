// Scroll bars: arrows at both ends, a track, and a thumb whose length shows the proportion.
#include "host/windows/scroll_bar_logic.h"

#include "host/windows/ui_style.h"

#include <algorithm>

namespace quillet::host {

int clamp_scroll_position(const ScrollBarState& s, int position) {
    int64_t top = s.maximum;
    if (s.proportion > 0 && int64_t{s.maximum} - s.minimum >= s.proportion)
        top = int64_t{s.maximum} - s.proportion;
    return static_cast<int>(
        std::clamp<int64_t>(position, s.minimum, std::max<int64_t>(top, s.minimum)));
}

ScrollLayout scroll_layout(IntRect bar, ScrollBarKind kind, const ScrollBarState& s,
                           const Metrics& m) {
    ScrollLayout l;
    bool vertical = kind == ScrollBarKind::vertical;
    int length = static_cast<int>(vertical ? bar.height() : bar.width());
    int thickness = static_cast<int>(vertical ? bar.width() : bar.height());
    int arrow = std::min(thickness, length / 2);
    auto span = [&](int from, int to) {
        return vertical ? IntRect{bar.left, bar.top + from, bar.right, bar.top + to}
                        : IntRect{bar.left + from, bar.top, bar.left + to, bar.bottom};
    };
    l.back = span(0, arrow);
    l.forward = span(length - arrow, length);
    l.track = span(arrow, length - arrow);
    int track = length - 2 * arrow;
    int64_t range = int64_t{s.maximum} - s.minimum;
    if (range <= 0 || track <= 0) return l;
    int64_t thumb;
    if (s.proportion > 0)
        thumb =
            std::clamp<int64_t>(track * int64_t{s.proportion} / range, m.scroll_thumb_min, track);
    else
        thumb = std::min(thickness, track);
    int64_t travel_range = s.proportion > 0 && range >= s.proportion ? range - s.proportion : range;
    int64_t pos =
        int64_t{clamp_scroll_position(s, s.dragging ? s.drag_position : s.position)} - s.minimum;
    int64_t start = travel_range > 0 ? (track - thumb) * pos / travel_range : 0;
    l.thumb = span(arrow + static_cast<int>(start), arrow + static_cast<int>(start + thumb));
    return l;
}

ScrollPart scroll_hit(const ScrollLayout& l, IntPoint p) {
    if (l.back.contains(p)) return ScrollPart::arrow_back;
    if (l.forward.contains(p)) return ScrollPart::arrow_forward;
    if (!l.thumb.is_empty() && l.thumb.contains(p)) return ScrollPart::thumb;
    if (l.track.contains(p) && !l.thumb.is_empty()) {
        bool before = l.track.width() > l.track.height() ? p.x < l.thumb.left : p.y < l.thumb.top;
        return before ? ScrollPart::page_back : ScrollPart::page_forward;
    }
    return ScrollPart::none;
}

int scroll_position_at(const ScrollLayout& l, ScrollBarKind kind, const ScrollBarState& s,
                       int start) {
    bool vertical = kind == ScrollBarKind::vertical;
    int64_t track = vertical ? l.track.height() : l.track.width();
    int64_t thumb = vertical ? l.thumb.height() : l.thumb.width();
    int64_t origin = vertical ? l.track.top : l.track.left;
    int64_t range = int64_t{s.maximum} - s.minimum;
    int64_t travel_range = s.proportion > 0 && range >= s.proportion ? range - s.proportion : range;
    if (track - thumb <= 0) return s.minimum;
    int64_t offset = std::clamp<int64_t>(start - origin, 0, track - thumb);
    int64_t pos = s.minimum + (offset * travel_range + (track - thumb) / 2) / (track - thumb);
    return clamp_scroll_position(s, static_cast<int>(pos));
}

void paint_scroll_bar(DeviceContext& dc, IntRect bar, ScrollBarKind kind, const ScrollBarState& s,
                      const Metrics& m, bool enabled) {
    ScrollLayout l = scroll_layout(bar, kind, s, m);
    ui::fill(dc, l.track, ui::light);
    bool vertical = kind == ScrollBarKind::vertical;
    bool active = enabled && s.maximum > s.minimum;
    for (IntRect r : {l.back, l.forward}) {
        ui::fill(dc, r, ui::face);
        ui::raised_edge(dc, r);
    }
    Color arrow = active ? ui::text : ui::gray_text;
    ui::draw_arrow(dc, l.back, vertical ? 0 : 2, arrow);
    ui::draw_arrow(dc, l.forward, vertical ? 1 : 3, arrow);
    if (active && !l.thumb.is_empty()) {
        ui::fill(dc, l.thumb, ui::face);
        ui::raised_edge(dc, l.thumb);
    }
}

} // namespace quillet::host
