// The bridge between a program and the desktop's clipboard: text through the windowing layer,
// pictures as packed device-independent bitmaps on the host clipboard directly. Failures raise
// the clipboard's errors.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

namespace err {
inline constexpr int32_t clipboard_invalid_option = -11210; // "Invalid option for SUB Clipboard."
inline constexpr int32_t clipboard_invalid_type = -11211;   // "Invalid type for SUB Clipboard."
inline constexpr int32_t clipboard_open_for_reading = -11212;
inline constexpr int32_t clipboard_close = -11213;
inline constexpr int32_t clipboard_open_for_writing = -11214;
inline constexpr int32_t clipboard_put_text = -11215;
} // namespace err

// The clipboard's text, byte for byte (empty when it holds none); -11212 when there is no
// clipboard to open.
std::string clipboard_get_text();
// Replaces the clipboard's contents with the text; an empty text leaves the clipboard alone.
// -11214 when there is no clipboard to open.
void clipboard_put_text(std::string_view text);

// The clipboard's bitmap, none when it holds none; -11212 when there is no clipboard.
std::optional<std::vector<uint8_t>> clipboard_get_bitmap();
// Another program's picture on the desktop's clipboard as a PNG file, empty when there is none
// (or the clipboard holds a bitmap of ours); -11212 when there is no clipboard.
std::vector<uint8_t> clipboard_get_desktop_png();
// Whether a picture put also goes to other programs, as a PNG file; -11212 when there is no
// clipboard.
bool clipboard_shares_pictures();
// Replaces the clipboard's contents with the bitmap, offering other programs the PNG file of the
// same picture where it is given; -11212 when there is no clipboard.
void clipboard_put_bitmap(std::vector<uint8_t> bitmap, std::vector<uint8_t> png = {});

} // namespace quillet
