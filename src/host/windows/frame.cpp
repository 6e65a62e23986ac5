// Frames as we draw them: the caption is filled in the active or inactive colour with the title
// in bold, the menu bar lists its titles with their mnemonics underlined.
#include "host/windows/frame.h"

#include "host/windows/scroll_bar_logic.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"

namespace quillet::host {

namespace {
int frame_border(const Metrics& m, const WindowStyle& style) {
    return style.sizable        ? m.sizable_border
           : style.dialog_frame ? m.dialog_border
           : style.thin_border  ? m.thin_border
                                : 0;
}
} // namespace

FrameInsets frame_insets(const Metrics& m, const WindowStyle& style, bool menu_bar) {
    const int border = frame_border(m, style);
    FrameInsets f{border, border, border, border};
    if (style.caption) f.top += m.caption_height;
    if (menu_bar) f.top += m.menu_height;
    if (style.vscroll) f.right += m.scroll_bar;
    if (style.hscroll) f.bottom += m.scroll_bar;
    return f;
}

IntRect desktop_shown_part(const Metrics& metrics, const WindowStyle& style, IntSize outer) {
    if (!style.caption) return IntRect::from_size(outer.width, outer.height);
    WindowStyle frame = style;
    frame.hscroll = frame.vscroll = false; // the window's scroll bars are part of its picture
    const FrameInsets f = frame_insets(metrics, frame, false);
    return {f.left, f.top, outer.width - f.right, outer.height - f.bottom};
}

namespace {
int border_of(const WindowRecord& w, const Metrics& m) {
    return frame_border(m, w.style);
}
IntRect offset(IntRect r, IntPoint o) {
    return {r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
}
} // namespace

IntRect caption_rect(const WindowRecord& w, const Metrics& m) {
    if (!w.style.caption) return {};
    int b = border_of(w, m);
    return {b, b, static_cast<int>(w.rect.width()) - b, b + m.caption_height};
}

IntRect close_box_rect(const WindowRecord& w, const Metrics& m) {
    IntRect c = caption_rect(w, m);
    if (c.is_empty()) return {};
    int size = m.caption_height - 4;
    return {c.right - size - 2, c.top + 2, c.right - 2, c.top + 2 + size};
}

IntRect menu_bar_rect(const WindowRecord& w, const Metrics& m) {
    if (!w.has_menu) return {};
    int b = border_of(w, m);
    int top = b + (w.style.caption ? m.caption_height : 0);
    return {b, top, static_cast<int>(w.rect.width()) - b, top + m.menu_height};
}

std::vector<IntRect> menu_title_rects(const WindowRecord& w, const Metrics& m, const Font& font) {
    std::vector<IntRect> rects;
    IntRect bar = menu_bar_rect(w, m);
    int x = bar.left + 2;
    for (const MenuItem& item : w.menu) {
        int width = font.text_extent(ui::parse_mnemonic(item.title).text).width + 12;
        rects.push_back({x, bar.top + 1, x + width, bar.bottom - 1});
        x += width;
    }
    return rects;
}

IntRect window_bar_rect(const WindowRecord& w, const Metrics& m, ScrollBarKind kind) {
    FrameInsets f = w.insets(m);
    IntSize cs = w.client_size(m);
    if (kind == ScrollBarKind::vertical)
        return w.style.vscroll ? IntRect{f.left + cs.width, f.top, f.left + cs.width + m.scroll_bar,
                                         f.top + cs.height}
                               : IntRect{};
    return w.style.hscroll ? IntRect{f.left, f.top + cs.height, f.left + cs.width,
                                     f.top + cs.height + m.scroll_bar}
                           : IntRect{};
}

FrameHit frame_hit(const WindowRecord& w, const Metrics& m, const Font& font, IntPoint p) {
    FrameInsets f = w.insets(m);
    IntSize cs = w.client_size(m);
    if (IntRect{f.left, f.top, f.left + cs.width, f.top + cs.height}.contains(p))
        return {FramePart::client};
    if (close_box_rect(w, m).contains(p)) return {FramePart::close_box};
    if (caption_rect(w, m).contains(p)) return {FramePart::caption};
    if (menu_bar_rect(w, m).contains(p)) {
        std::vector<IntRect> titles = menu_title_rects(w, m, font);
        for (size_t i = 0; i < titles.size(); ++i)
            if (titles[i].contains(p)) return {FramePart::menu_bar, static_cast<int>(i)};
        return {FramePart::menu_bar};
    }
    if (window_bar_rect(w, m, ScrollBarKind::vertical).contains(p)) return {FramePart::vscroll};
    if (window_bar_rect(w, m, ScrollBarKind::horizontal).contains(p)) return {FramePart::hscroll};
    if (w.rect.width() > 0 &&
        IntRect::from_size(static_cast<int>(w.rect.width()), static_cast<int>(w.rect.height()))
            .contains(p))
        return {FramePart::border};
    return {};
}

void draw_frame(DeviceContext& dc, const WindowRecord& w, const Metrics& m, const Font& font,
                const Font& caption_font, IntPoint origin, bool active) {
    IntRect outer = offset(
        IntRect::from_size(static_cast<int>(w.rect.width()), static_cast<int>(w.rect.height())),
        origin);
    int b = border_of(w, m);
    if (b == 1) {
        ui::frame_rect(dc, outer, ui::dark);
    } else if (b > 1) {
        ui::fill(dc, outer, ui::face);
        ui::raised_edge(dc, outer);
    }
    if (w.style.caption) {
        IntRect c = offset(caption_rect(w, m), origin);
        ui::fill(dc, c, active ? ui::caption_active : ui::caption_inactive);
        DeviceContextStateSaver saver(dc);
        dc.state().font = std::shared_ptr<const Font>(std::shared_ptr<const Font>{}, &caption_font);
        IntRect close = offset(close_box_rect(w, m), origin);
        IntRect title{c.left + 4, c.top, close.left - 2, c.bottom};
        // The title is not a label: '&' has no meaning in it.
        dc.state().text_color = ui::highlight;
        dc.state().background_mode = BackgroundMode::transparent;
        dc.state().clip = title;
        int y = title.top + static_cast<int>((title.height() - caption_font.metrics().height) / 2);
        dc.draw_text({title.left, y}, w.title, TextAlign::top);
        dc.state().clip.reset();
        ui::fill(dc, close, ui::face);
        ui::raised_edge(dc, close);
        int x0 = close.left + 4, y0 = close.top + 3;
        int n = static_cast<int>(close.height()) - 7;
        for (int i = 0; i < n; ++i) {
            ui::fill(dc, {x0 + i, y0 + i, x0 + i + 2, y0 + i + 1}, ui::dark);
            ui::fill(dc, {x0 + n - 1 - i, y0 + i, x0 + n + 1 - i, y0 + i + 1}, ui::dark);
        }
    }
    if (w.has_menu) {
        IntRect bar = offset(menu_bar_rect(w, m), origin);
        ui::fill(dc, bar, ui::face);
        DeviceContextStateSaver saver(dc);
        dc.state().font = std::shared_ptr<const Font>(std::shared_ptr<const Font>{}, &font);
        std::vector<IntRect> titles = menu_title_rects(w, m, font);
        for (size_t i = 0; i < titles.size(); ++i) {
            IntRect r = offset(titles[i], origin);
            bool hot = static_cast<int>(i) == w.menu_hot;
            if (hot) ui::fill(dc, r, ui::selection);
            Color color = !w.menu[i].enabled ? ui::gray_text : hot ? ui::selection_text : ui::text;
            ui::draw_label(dc, r, w.menu[i].title, color, ui::Align::center);
        }
    }
    IntRect vbar = window_bar_rect(w, m, ScrollBarKind::vertical);
    IntRect hbar = window_bar_rect(w, m, ScrollBarKind::horizontal);
    if (!vbar.is_empty())
        paint_scroll_bar(dc, offset(vbar, origin), ScrollBarKind::vertical, w.vbar, m, w.enabled);
    if (!hbar.is_empty())
        paint_scroll_bar(dc, offset(hbar, origin), ScrollBarKind::horizontal, w.hbar, m, w.enabled);
    if (!vbar.is_empty() && !hbar.is_empty())
        ui::fill(dc, offset({vbar.left, hbar.top, vbar.right, hbar.bottom}, origin), ui::face);
}

} // namespace quillet::host
