// Pictures on the clipboard: the host's clipboard holds a packed device-independent bitmap
// (information header, colour table or masks, rows), which is exactly the part of a
// current-layout picture string from offset 24 on. These convert between the two and check
// both directions, since either side may hold anything.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

// The clipboard bitmap of a picture string: its bytes from offset 24 through the last row (a
// longer string's tail is not part of the picture). An older-layout picture is converted to a
// 24-bit bitmap. The empty picture gives an empty bitmap. Refuses a malformed picture with
// PictureError.
std::vector<uint8_t> clipboard_bitmap_of_picture(std::span<const uint8_t> picture);

// The picture string of a clipboard bitmap: the 24-byte prefix (zero, zero, width, height,
// colour-table bytes, row bytes) followed by the bitmap through its last row. Refuses a malformed
// or truncated bitmap with PictureError.
std::vector<uint8_t> picture_of_clipboard_bitmap(std::span<const uint8_t> bitmap);

} // namespace quillet
