// The look of what we draw ourselves: colours, bevels, focus rectangles and mnemonic text, shared
// by frames, menus, controls and dialogs.
#pragma once

#include "host/raster/device_context.h"

#include <string>
#include <string_view>

namespace quillet::host::ui {

inline constexpr Color face = 0xC0C0C0;
inline constexpr Color highlight = 0xFFFFFF;
inline constexpr Color light = 0xDFDFDF;
inline constexpr Color shadow = 0x808080;
inline constexpr Color dark = 0x000000;
inline constexpr Color window = 0xFFFFFF;
inline constexpr Color text = 0x000000;
inline constexpr Color gray_text = 0x808080;
inline constexpr Color selection = 0x000080;
inline constexpr Color selection_text = 0xFFFFFF;
inline constexpr Color caption_active = 0x000080;
inline constexpr Color caption_inactive = 0x808080;

void fill(DeviceContext& dc, IntRect r, Color c);
void frame_rect(DeviceContext& dc, IntRect r, Color c); // one-pixel outline inside r
// Two-pixel 3D edges: raised (buttons, frames) or sunken (edits, lists).
void raised_edge(DeviceContext& dc, IntRect r);
void pressed_edge(DeviceContext& dc, IntRect r);
void sunken_edge(DeviceContext& dc, IntRect r);
void focus_rect(DeviceContext& dc, IntRect r);  // dotted
void etched_rect(DeviceContext& dc, IntRect r); // group boxes

// A title with its '&' mnemonic marker removed, and the index of the marked character (or -1).
struct Mnemonic {
    std::string text;
    int index = -1;
    char key = 0; // lower case
};
Mnemonic parse_mnemonic(std::string_view title);

enum class Align : uint8_t { left, center, right };
// Text with the top of its cell at y, aligned in [r.left, r.right), the mnemonic underlined.
void draw_label(DeviceContext& dc, IntRect r, std::string_view title, Color color, Align align,
                bool vcenter = true);
// Data rather than a label (list items, a drop-down's field): every '&' is drawn as it stands.
void draw_plain_text(DeviceContext& dc, IntRect r, std::string_view data, Color color, Align align,
                     bool vcenter = true);
void draw_arrow(DeviceContext& dc, IntRect r, int direction,
                Color color); // 0 up 1 down 2 left 3 right

} // namespace quillet::host::ui
