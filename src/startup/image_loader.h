// Finding the B-code image appended to the executable, checking it and laying it out in the
// arena.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillet {

// Reads the image that precedes the executable's trailer into an arena block; without a trailer
// (a stripped program) the image of its ELF image section. Stops with the documented fatal
// messages when the file cannot be read or either form does not fit the file; an executable with
// neither loads no image, which lay_out_image then refuses.
void load_image(const std::string& executable);

// True when the file ends with an image trailer or has an image section: a bound program.
bool carries_image(const std::string& executable);

// The same for the bytes of an executable file already read.
void load_image_from(std::span<const uint8_t> file);

// Checks magic and version, validates every area and offset, relocates the string pointers and
// builds the module records; a malformed image is a fatal stop that names what is wrong.
void lay_out_image();

// A bif that both the image and the engine define is refused (except 13, 14, 94 and 356).
void check_bif_overrides();

} // namespace quillet
