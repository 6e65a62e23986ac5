// What a program window's record says, put onto its native window and backing pixmap: drawing
// tools, font, scroll bars.
#pragma once

#include "ui/drawing.h"
#include "ui/window_table.h"

namespace quillet {

// The native window has been made (state shown or hidden).
inline bool window_is_made(const WindowRecord& record) {
    return record.in_use() && record.native_window != no_xvt_window;
}

// The window (once made) and its backing pixmap.
DrawingTarget window_target(const WindowRecord& record);

// Pen, brush, draw mode, text and background colours of the record onto every drawable.
void apply_window_tools(const WindowRecord& record);

// The record's font (family, style, size) onto every drawable, and its measures read back.
void apply_window_font(WindowRecord& record);

// The record's settings of one scroll bar onto the native window's bar, when it has that bar,
// by the scroll-bar rules (the stored position is clamped as the bar shows it).
void apply_scroll_bar(WindowRecord& record, bool vertical);

// Whether the window has the scroll bar of that direction.
bool has_scroll_bar(const WindowRecord& record, bool vertical);

} // namespace quillet
