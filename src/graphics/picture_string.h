// Picture strings: the bytes that BOX KEEP stores, and that BOX SHOW, WRITE IMAGE, image objects
// and the image readers share. All integers are 32-bit little-endian.
//
//   0   8   zero (marks the current layout; anything else is the older layout, below)
//   8   4   width in pixels
//   12  4   height in pixels (rows)
//   16  4   size of the colour table in bytes (4 per colour)
//   20  4   size of the pixel rows in bytes (stride x height)
//   24  40  bitmap information header: 40, width, height (positive: bottom-up rows, negative:
//           top-down), planes 1, bits per pixel, compression 0, image size 0, resolutions 0,
//           colours used, colours important 0
//   64      colour table (blue, green, red, 0 per entry), then the rows, each padded to 4 bytes
//
// The older layout is width, height and a byte count (12 bytes), then the rows in the device's
// own format: 32-bit 0x00RRGGBB pixels, top-down, as the host's screen holds them.
//
// Picture strings come from programs and files, so nothing here trusts them: every size is
// checked against the string's length, and widths and heights beyond the raster's limits are
// refused before anything is allocated.
#pragma once

#include "host/raster/color.h"
#include "host/raster/geometry.h"
#include "host/raster/surface.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillet {

inline constexpr size_t picture_header_size = 24; // the fields before the information header
inline constexpr size_t picture_prefix_size = 64; // both headers: where the colour table starts
inline constexpr size_t older_picture_header_size = 12;

// A picture string that cannot be used (malformed, truncated, or too large to build).
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The screen's colour classes (the windowing layer's screen attribute 10).
namespace color_class {
inline constexpr int monochrome = 0; // 1 bit per pixel
inline constexpr int colors16 = 1;   // 1 and 2: 4 bits per pixel
inline constexpr int colors16_b = 2;
inline constexpr int colors256 = 3; // 3 and 4: 8 bits per pixel
inline constexpr int colors256_b = 4;
inline constexpr int true_color = 5; // the device's own depth
} // namespace color_class

// How BOX KEEP stores pixels.
struct PictureFormat {
    int bits_per_pixel = 24; // 1, 4, 8 (with a colour table), 16 (5-5-5), 24 or 32
    // For 1, 4 and 8 bits: the colour table. It is padded with black to 2^bits entries (the
    // string always carries the whole table), and each pixel takes its nearest entry. Empty:
    // black and white, the sixteen VGA colours, or the fixed 256-colour table. Entries beyond
    // 2^bits are dropped.
    std::vector<Color> palette;
};

// The format of a screen's colour class: class 0 one bit, classes 1 and 2 four bits, 3 and 4
// eight bits (each with `palette` as above), class 5 the device's own bits per pixel
// (device_bits: 16, 24 or 32; anything else counts as 32), any other class 24 bits. (The older
// rule for other classes wrote a bits-per-pixel field of 0, which describes no pixel format, so
// nothing could draw the string; 24 bits is what its stride of width x 3 means.)
PictureFormat picture_format_for_class(int color_class, int device_bits,
                                       std::vector<Color> palette = {});

// The largest picture: the raster's surface limits (32767 on a side, 2^26 pixels).
bool picture_size_allowed(int64_t width, int64_t height);

// BOX KEEP: the pixels of `area` of the source (host rectangle: right and bottom excluded) as a
// picture string with bottom-up rows. Parts of the area outside the source are black. An empty
// or reversed area gives the empty string (nothing kept; BOX SHOW of it draws nothing). An area
// larger than picture_size_allowed is refused with PictureError (the bif raises 5000), so a huge
// rectangle never overflows stride x height nor allocates gigabytes.
std::vector<uint8_t> keep_picture(const Surface& source, IntRect area, const PictureFormat& format);

enum class PictureLayout {
    empty,   // no bytes: nothing to draw
    current, // the 64-byte headers and a device-independent bitmap
    older,   // width, height, byte count and device pixels
};

// What a picture string holds, checked against its length.
struct PictureInfo {
    PictureLayout layout = PictureLayout::empty;
    int width = 0;  // pixels
    int height = 0; // rows (always positive)
    bool top_down = false;
    int bits_per_pixel = 0; // of the current layout; 32 for the older one
    size_t colors = 0;      // entries of the colour table
    size_t bits_offset = 0; // where the rows start in the string
    size_t image_bytes = 0; // stride x height
};

// In memory, a picture read with a palette holds the palette's handle in its second word (see
// graphics/read_image.h); for such a picture only the first word tells the layout.
enum class SecondWord { layout, palette };

// Reads and checks the header: for the current layout the information header must be complete
// and the colour table and every row must lie within the string (a bits-per-pixel field of 0 is
// read as 24, see picture_format_for_class); for the older layout the header must be complete.
// The outer width and height fields (offsets 8 and 12) are not used: the information header
// describes the pixels. Refuses with PictureError saying what is wrong.
PictureInfo read_picture_info(std::span<const uint8_t> picture,
                              SecondWord second_word = SecondWord::layout);

// BOX SHOW, WRITE IMAGE and image objects: the picture as a host surface, top row first, for a
// block transfer with the caller's raster operation. The empty string gives a 0 x 0 surface. An
// older-layout string with fewer bytes than its pixels leaves the rest black (as the host's
// bitmap bits do). Refuses a malformed string with PictureError; nothing is ever read past it.
Surface decode_picture(std::span<const uint8_t> picture,
                       SecondWord second_word = SecondWord::layout);

// A picture string of the whole surface in the given format, rows top-down when asked (the image
// readers' pictures are top-down, BOX KEEP's bottom-up).
std::vector<uint8_t> encode_picture(const Surface& surface, const PictureFormat& format,
                                    bool top_down = false);

// A picture of width x height at 1, 4, 8, 16, 24 or 32 bits with `colors` table entries, table
// and rows zero, for readers that fill them in place: the table starts at picture_prefix_size,
// the rows at read_picture_info(...).bits_offset. The size must be picture_size_allowed.
std::vector<uint8_t> blank_picture(int width, int height, int bits_per_pixel, bool top_down,
                                   size_t colors);

} // namespace quillet
