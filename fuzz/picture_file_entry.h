// The fuzzed entries of the image file readers: arbitrary bytes as a BMP, PNG or JPEG file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillet::fuzz {

enum class PictureFileKind { bmp, png, jpeg };

// Never crashes, never reads past the bytes; aborts when a picture that a reader returned does
// not decode, or does not survive writing as PNG and reading back pixel for pixel.
void read_picture_file(PictureFileKind kind, const uint8_t* data, size_t size);

// "bmp", "png" or "jpeg"; false for anything else.
bool picture_file_kind(std::string_view name, PictureFileKind& kind);

} // namespace quillet::fuzz
