// Bevels, outlines and labels in the classic desktop look.
#include "host/windows/ui_style.h"

#include <cctype>

namespace quillet::host::ui {

void fill(DeviceContext& dc, IntRect r, Color c) {
    dc.fill_rect(r, Brush::solid(c));
}

void frame_rect(DeviceContext& dc, IntRect r, Color c) {
    if (r.is_empty()) return;
    fill(dc, {r.left, r.top, r.right, r.top + 1}, c);
    fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, c);
    fill(dc, {r.left, r.top, r.left + 1, r.bottom}, c);
    fill(dc, {r.right - 1, r.top, r.right, r.bottom}, c);
}

namespace {
void edge(DeviceContext& dc, IntRect r, Color top_left, Color bottom_right) {
    fill(dc, {r.left, r.top, r.right - 1, r.top + 1}, top_left);
    fill(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, top_left);
    fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
    fill(dc, {r.right - 1, r.top, r.right, r.bottom}, bottom_right);
}
IntRect inset(IntRect r, int d) {
    return {r.left + d, r.top + d, r.right - d, r.bottom - d};
}
} // namespace

void raised_edge(DeviceContext& dc, IntRect r) {
    edge(dc, r, light, dark);
    edge(dc, inset(r, 1), highlight, shadow);
}

void pressed_edge(DeviceContext& dc, IntRect r) {
    frame_rect(dc, r, dark);
    frame_rect(dc, inset(r, 1), shadow);
}

void sunken_edge(DeviceContext& dc, IntRect r) {
    edge(dc, r, shadow, highlight);
    edge(dc, inset(r, 1), dark, light);
}

void focus_rect(DeviceContext& dc, IntRect r) {
    if (r.is_empty()) return;
    for (int x = r.left; x < r.right; x += 2) {
        dc.set_pixel({x, r.top}, dark);
        dc.set_pixel({x, r.bottom - 1}, dark);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        dc.set_pixel({r.left, y}, dark);
        dc.set_pixel({r.right - 1, y}, dark);
    }
}

void etched_rect(DeviceContext& dc, IntRect r) {
    frame_rect(dc, {r.left, r.top, r.right - 1, r.bottom - 1}, shadow);
    frame_rect(dc, {r.left + 1, r.top + 1, r.right, r.bottom}, highlight);
}

Mnemonic parse_mnemonic(std::string_view title) {
    Mnemonic m;
    for (size_t i = 0; i < title.size(); ++i) {
        if (title[i] == '&' && i + 1 < title.size()) {
            ++i;
            if (title[i] != '&' && m.index < 0) {
                m.index = static_cast<int>(m.text.size());
                m.key = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
            }
        }
        m.text += title[i];
    }
    return m;
}

namespace {

// Text aligned in r, clipped to it, with the character at `underline` (-1: none) underlined.
void draw_aligned(DeviceContext& dc, IntRect r, std::string_view shown, int underline, Color color,
                  Align align, bool vcenter) {
    const auto& font = dc.state().font;
    if (!font) return;
    IntSize extent = font->text_extent(shown);
    int x = r.left;
    if (align == Align::center)
        x = r.left + static_cast<int>((r.width() - extent.width) / 2);
    else if (align == Align::right)
        x = r.right - extent.width;
    int y = vcenter ? r.top + static_cast<int>((r.height() - extent.height) / 2) : r.top;
    DeviceContextStateSaver saver(dc);
    dc.state().text_color = color;
    dc.state().background_mode = BackgroundMode::transparent;
    dc.state().clip = dc.state().clip ? dc.state().clip->intersected(r) : r;
    dc.draw_text({x, y}, shown, TextAlign::top);
    if (underline >= 0) {
        int ux = x + font->text_extent(shown.substr(0, underline)).width;
        int uw = font->char_width(static_cast<uint8_t>(shown[underline]));
        int uy = y + font->metrics().ascent + 1;
        fill(dc, {ux, uy, ux + uw, uy + 1}, color);
    }
}

} // namespace

void draw_label(DeviceContext& dc, IntRect r, std::string_view title, Color color, Align align,
                bool vcenter) {
    Mnemonic m = parse_mnemonic(title);
    draw_aligned(dc, r, m.text, m.index, color, align, vcenter);
}

void draw_plain_text(DeviceContext& dc, IntRect r, std::string_view data, Color color, Align align,
                     bool vcenter) {
    draw_aligned(dc, r, data, -1, color, align, vcenter);
}

void draw_arrow(DeviceContext& dc, IntRect r, int direction, Color color) {
    int cx = r.left + static_cast<int>(r.width() / 2);
    int cy = r.top + static_cast<int>(r.height() / 2);
    for (int i = 0; i < 4; ++i) {
        switch (direction) {
        case 0: fill(dc, {cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i}, color); break;
        case 1: fill(dc, {cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i}, color); break;
        case 2: fill(dc, {cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1}, color); break;
        default: fill(dc, {cx - 1 + i, cy - 3 + i, cx + i, cy + 4 - i}, color); break;
        }
    }
}

} // namespace quillet::host::ui
