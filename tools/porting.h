// Porting a bound Windows application: what its image holds, the icon of its executable, and a
// desktop entry for the Linux program made of it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillet::tools {

// Lines that say what the image holds: its size, its modules with their program units, the bifs
// its library overrides, and whether it supplies the formatting bifs 13 and 14 beyond the
// engine's fast paths. Throws bcode::FormatError for a malformed image.
std::string describe_image(std::span<const uint8_t> image);

// The application's icon of a Windows (PE) executable as a PNG file: the largest picture of its
// first icon group, PNG-compressed pictures as they are, others (1, 4, 8, 24 or 32 bits per
// pixel with their transparency mask) converted. None when the file is no PE executable or has
// no icon that can be read; `why` then says what was missing.
std::optional<std::vector<uint8_t>> windows_icon_png(std::span<const uint8_t> exe,
                                                     std::string& why);

// A desktop entry (freedesktop.org) that starts `program` (an absolute path), named `name`,
// with `icon` (an absolute path) when it is not empty.
std::string desktop_entry(const std::string& name, const std::string& program,
                          const std::string& icon);

} // namespace quillet::tools
