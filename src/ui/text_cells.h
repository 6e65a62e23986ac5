// Text placed by character cell in the current window, and font measures of a window.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet {

// Draws text at character row r and column c (from 1) of the current window, on a cleared line
// rectangle, in the window and its backing pixmap; shows the default window first.
void print_at_cell(int32_t r, int32_t c, std::string_view text);

// Font measure k of window w (w < 0: the current window): 1 character width, 2 line height, 3
// font size, 4 ascent, 5 descent, any other the pixel width of text. 0 for a window that is not
// open.
int32_t font_measure(int32_t w, int32_t k, std::string_view text);

} // namespace quillet
